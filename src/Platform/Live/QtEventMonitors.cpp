#include "Platform/Live/QtEventMonitors.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>

QtEventMonitors::QtEventMonitors(KeyCodeOf keyCodeOf, QObject* parent)
    : QObject(parent), m_keyCodeOf(std::move(keyCodeOf))
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

QtEventMonitors::~QtEventMonitors() = default;

void QtEventMonitors::treatAsOtherApplication(QObject* window)
{
    m_otherApplications << QPointer<QObject>(window);
}

bool QtEventMonitors::eventFilter(QObject* watched, QEvent* event)
{
    // Input reaches the window first and its widgets afterwards; looking at
    // windows alone sees each event once.
    if (!watched->isWindowType() || m_otherApplications.contains(watched))
        return false;
    MonitoredEvent monitored;
    monitored.window = watched;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto button = static_cast<QMouseEvent*>(event)->button();
        if (button == Qt::LeftButton)
            monitored.type = MonitoredEvent::Type::leftMouseDown;
        else if (button == Qt::RightButton)
            monitored.type = MonitoredEvent::Type::rightMouseDown;
        else
            return false;
        break;
    }
    case QEvent::KeyPress: {
        const auto code = m_keyCodeOf ? m_keyCodeOf(*static_cast<QKeyEvent*>(event)) : std::nullopt;
        if (!code)
            return false;
        monitored.type = MonitoredEvent::Type::keyDown;
        monitored.keyCode = *code;
        break;
    }
    default:
        return false;
    }
    return dispatchLocal(monitored);
}

#pragma once

#include "Platform/EventMonitorRegistry.h"

#include <QObject>
#include <QPointer>
#include <QSet>

#include <functional>
#include <optional>

class QKeyEvent;

// Event monitors of the running program. Local monitors see the mouse-downs
// and key-downs that Qt delivers to the program's own windows, before the
// windows do. Global monitors see what the program is told happened in other
// applications: Qt reports no input outside the program, so whatever stands
// for the other applications (the simulated desktop) reports its clicks
// through dispatchGlobal(), and its own window is left out of the local
// monitors.
class QtEventMonitors final : public QObject, public EventMonitorRegistry {
    Q_OBJECT
public:
    // The host key code of a Qt key event; the program's keyboard layout.
    using KeyCodeOf = std::function<std::optional<quint16>(const QKeyEvent&)>;

    explicit QtEventMonitors(KeyCodeOf keyCodeOf, QObject* parent = nullptr);
    ~QtEventMonitors() override;

    // Input to this window belongs to other applications.
    void treatAsOtherApplication(QObject* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyCodeOf m_keyCodeOf;
    QList<QPointer<QObject>> m_otherApplications;
};

#include "SimAXObserver.h"

#include "Platform/Sim/SimAccessibility.h"
#include "Platform/Sim/SimHost.h"

SimAXObserver::SimAXObserver(SimHost& host, const SimAccessibility& accessibility, pid_t pid,
                             AXObserverCallback callback)
    : m_host(host), m_accessibility(accessibility), m_pid(pid), m_callback(std::move(callback))
{
}

SimAXObserver::~SimAXObserver()
{
    if (m_listenerId != 0)
        m_host.removeFocusListener(m_listenerId);
}

AXError SimAXObserver::addNotification(const AXElement& element, const QString& notification)
{
    if (element.pid != m_pid)
        return AXError::IllegalArgument;
    if (notification != AXNotification::focusedWindowChanged)
        return AXError::NotImplemented;
    if (const AXError error = m_accessibility.awaitAnswer(element); error != AXError::Success)
        return error;
    m_notifications.insert(notification);
    updateListener();
    return AXError::Success;
}

AXError SimAXObserver::removeNotification(const AXElement& element, const QString& notification)
{
    if (element.pid != m_pid)
        return AXError::IllegalArgument;
    if (!m_notifications.remove(notification))
        return AXError::Failure;
    updateListener();
    return AXError::Success;
}

void SimAXObserver::setScheduled(bool scheduled)
{
    m_scheduled = scheduled;
    updateListener();
}

void SimAXObserver::updateListener()
{
    const bool wanted =
        m_scheduled && m_notifications.contains(AXNotification::focusedWindowChanged);
    if (wanted && m_listenerId == 0) {
        m_listenerId = m_host.addFocusListener(m_pid, [this](const AXElement& window) {
            m_callback(window, AXNotification::focusedWindowChanged);
        });
    } else if (!wanted && m_listenerId != 0) {
        m_host.removeFocusListener(m_listenerId);
        m_listenerId = 0;
    }
}

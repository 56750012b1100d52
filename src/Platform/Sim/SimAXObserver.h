#pragma once

#include "Platform/Accessibility.h"

#include <QSet>

class SimAccessibility;
class SimHost;

// A focus observer of one simulated app. It listens to the host's focus
// changes only while it is scheduled and watches "AXFocusedWindowChanged", so
// an unscheduled or destroyed observer never calls back. Registering a
// notification waits for the app's answer as any request does. Main thread
// only.
class SimAXObserver final : public AXObserver {
public:
    SimAXObserver(SimHost& host, const SimAccessibility& accessibility, pid_t pid,
                  AXObserverCallback callback);
    ~SimAXObserver() override;
    SimAXObserver(const SimAXObserver&) = delete;
    SimAXObserver& operator=(const SimAXObserver&) = delete;

    AXError addNotification(const AXElement& element, const QString& notification) override;
    AXError removeNotification(const AXElement& element, const QString& notification) override;
    void setScheduled(bool scheduled) override;

private:
    void updateListener();

    SimHost& m_host;
    const SimAccessibility& m_accessibility;
    pid_t m_pid;
    AXObserverCallback m_callback;
    QSet<QString> m_notifications;
    bool m_scheduled = false;
    int m_listenerId = 0; // 0: not listening
};

#pragma once

#include "Platform/EventMonitors.h"

#include <memory>
#include <vector>

// Event monitors kept in a list and fed from outside: whatever sees the
// events (the simulated desktop, the program's own event filter, a test)
// hands each one to dispatchGlobal() or dispatchLocal(). Main thread only.
class EventMonitorRegistry : public EventMonitors {
public:
    EventMonitorRegistry();
    ~EventMonitorRegistry() override;

    std::unique_ptr<EventMonitorToken> addGlobalMonitor(unsigned mask,
                                                        GlobalHandler handler) override;
    std::unique_ptr<EventMonitorToken> addLocalMonitor(unsigned mask,
                                                       LocalHandler handler) override;

    // Every global monitor that wants the event sees it, oldest first.
    void dispatchGlobal(const MonitoredEvent& event);
    // Local monitors that want the event, newest first, until one consumes
    // it. True when it was consumed.
    bool dispatchLocal(const MonitoredEvent& event);

    // For tests and benchmarks: the product never calls these.
    int globalMonitorCount() const;
    int localMonitorCount() const;

private:
    struct Entry;
    class Token;
    struct List;

    std::unique_ptr<EventMonitorToken> add(Entry entry);

    std::shared_ptr<List> m_list;
};

#include "Platform/EventMonitorRegistry.h"

#include <algorithm>

struct EventMonitorRegistry::Entry {
    unsigned mask = 0;
    bool local = false;
    GlobalHandler global;
    LocalHandler handler;
    bool removed = false;
};

struct EventMonitorRegistry::List {
    std::vector<std::shared_ptr<Entry>> entries; // oldest first
};

// A token may outlive the registry: it then has nothing to remove.
class EventMonitorRegistry::Token final : public EventMonitorToken {
public:
    Token(std::weak_ptr<List> list, std::shared_ptr<Entry> entry)
        : m_list(std::move(list)), m_entry(std::move(entry))
    {
    }
    ~Token() override
    {
        m_entry->removed = true;
        if (const auto list = m_list.lock())
            std::erase(list->entries, m_entry);
    }

private:
    std::weak_ptr<List> m_list;
    std::shared_ptr<Entry> m_entry;
};

EventMonitorRegistry::EventMonitorRegistry() : m_list(std::make_shared<List>()) {}

EventMonitorRegistry::~EventMonitorRegistry() = default;

std::unique_ptr<EventMonitorToken> EventMonitorRegistry::addGlobalMonitor(unsigned mask,
                                                                          GlobalHandler handler)
{
    if (!handler)
        return nullptr;
    return add(Entry{mask, false, std::move(handler), {}});
}

std::unique_ptr<EventMonitorToken> EventMonitorRegistry::addLocalMonitor(unsigned mask,
                                                                         LocalHandler handler)
{
    if (!handler)
        return nullptr;
    return add(Entry{mask, true, {}, std::move(handler)});
}

std::unique_ptr<EventMonitorToken> EventMonitorRegistry::add(Entry entry)
{
    auto shared = std::make_shared<Entry>(std::move(entry));
    m_list->entries.push_back(shared);
    return std::make_unique<Token>(m_list, shared);
}

void EventMonitorRegistry::dispatchGlobal(const MonitoredEvent& event)
{
    // A handler may remove monitors (its own included) while this runs.
    const auto entries = m_list->entries;
    const unsigned bit = monitorMaskBit(event.type);
    for (const auto& entry : entries) {
        if (!entry->local && !entry->removed && (entry->mask & bit))
            entry->global(event);
    }
}

bool EventMonitorRegistry::dispatchLocal(const MonitoredEvent& event)
{
    const auto entries = m_list->entries;
    const unsigned bit = monitorMaskBit(event.type);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const auto& entry = *it;
        if (entry->local && !entry->removed && (entry->mask & bit) && entry->handler(event))
            return true;
    }
    return false;
}

int EventMonitorRegistry::globalMonitorCount() const
{
    return int(std::count_if(m_list->entries.begin(), m_list->entries.end(),
                             [](const auto& entry) { return !entry->local; }));
}

int EventMonitorRegistry::localMonitorCount() const
{
    return int(m_list->entries.size()) - globalMonitorCount();
}

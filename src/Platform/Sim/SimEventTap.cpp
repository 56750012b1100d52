#include "SimEventTap.h"

#include "Platform/Sim/SimHost.h"

#include <QThread>

#include <algorithm>
#include <mutex>
#include <vector>

struct SimEventTap::Tap {
    EventTapCallback callback;
    // Guarded by the chain's mutex.
    bool enabled = true;
    bool onRunLoop = false;
    bool removed = false;

    bool listening() const { return enabled && onRunLoop && !removed; }
};

struct SimEventTap::Chain {
    mutable std::mutex mutex;
    std::vector<std::shared_ptr<Tap>> taps; // head first

    std::vector<std::shared_ptr<Tap>> copy() const
    {
        std::lock_guard lock(mutex);
        return taps;
    }
};

class SimEventTap::Port final : public EventTapPort {
public:
    Port(std::weak_ptr<Chain> chain, std::shared_ptr<Tap> tap)
        : m_chain(std::move(chain)), m_tap(std::move(tap))
    {
    }

    // The owner of a tap going away takes the tap with it, so its callback
    // never runs on a dead owner.
    ~Port() override
    {
        const auto chain = m_chain.lock();
        if (!chain) {
            m_tap->removed = true;
            return;
        }
        std::lock_guard lock(chain->mutex);
        m_tap->removed = true;
        std::erase(chain->taps, m_tap);
    }

    void addToRunLoop() override
    {
        withLock([this] { m_tap->onRunLoop = true; });
    }
    void setEnabled(bool enabled) override
    {
        withLock([&] { m_tap->enabled = enabled; });
    }
    bool isEnabled() const override
    {
        bool enabled = false;
        withLock([&] { enabled = m_tap->enabled; });
        return enabled;
    }

private:
    template <typename Fn> void withLock(Fn&& fn) const
    {
        if (const auto chain = m_chain.lock()) {
            std::lock_guard lock(chain->mutex);
            fn();
        } else {
            fn();
        }
    }

    std::weak_ptr<Chain> m_chain;
    std::shared_ptr<Tap> m_tap;
};

namespace {

bool reachesTaps(CGEventType type)
{
    return type == CGEventType::keyDown || type == CGEventType::flagsChanged;
}

} // namespace

SimEventTap::SimEventTap(SimHost& host) : m_host(host), m_chain(std::make_shared<Chain>()) {}

SimEventTap::~SimEventTap() = default;

std::unique_ptr<EventTapPort> SimEventTap::createTap(EventTapCallback callback)
{
    const bool trusted =
        m_host.read([](const SimModel& model) { return model.accessibilityTrusted; });
    if (!trusted || !callback)
        return nullptr;
    auto tap = std::make_shared<Tap>();
    tap->callback = std::move(callback);
    {
        std::lock_guard lock(m_chain->mutex);
        m_chain->taps.insert(m_chain->taps.begin(), tap);
    }
    return std::make_unique<Port>(m_chain, tap);
}

bool SimEventTap::injectKey(const KeyEvent& event)
{
    if (QThread::currentThread() != m_host.thread()) {
        bool consumed = false;
        m_host.callOnMain([&] { consumed = injectKey(event); });
        return consumed;
    }
    if (!reachesTaps(event.type))
        return false;
    for (const std::shared_ptr<Tap>& tap : m_chain->copy()) {
        {
            // A tap removed or disabled by an earlier callback sees nothing.
            std::lock_guard lock(m_chain->mutex);
            if (!tap->listening())
                continue;
        }
        if (tap->callback(event))
            return true;
    }
    return false;
}

void SimEventTap::disableTaps(CGEventType reason)
{
    std::vector<std::shared_ptr<Tap>> disabled;
    {
        std::lock_guard lock(m_chain->mutex);
        for (const std::shared_ptr<Tap>& tap : m_chain->taps) {
            if (tap->enabled && tap->onRunLoop) {
                tap->enabled = false;
                disabled.push_back(tap);
            }
        }
    }
    const auto notify = [this, disabled, reason] {
        KeyEvent notification;
        notification.type = reason;
        for (const std::shared_ptr<Tap>& tap : disabled) {
            {
                std::lock_guard lock(m_chain->mutex);
                if (tap->removed)
                    continue;
            }
            tap->callback(notification);
        }
    };
    m_host.callOnMain(notify);
}

int SimEventTap::tapCount() const
{
    std::lock_guard lock(m_chain->mutex);
    return int(m_chain->taps.size());
}

int SimEventTap::listeningTapCount() const
{
    std::lock_guard lock(m_chain->mutex);
    return int(std::count_if(m_chain->taps.begin(), m_chain->taps.end(),
                             [](const auto& tap) { return tap->listening(); }));
}

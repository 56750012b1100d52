#pragma once

#include "Platform/EventTap.h"

#include <memory>

class SimHost;

// The session event tap of the simulated desktop. Taps are created only while
// the process is trusted for Accessibility; each new tap goes to the head of
// the chain. A tap sees events once it is enabled and on the run loop.
// Key-down and flags-changed events reach the taps; key-ups never do.
class SimEventTap final : public EventTap {
public:
    explicit SimEventTap(SimHost& host);
    ~SimEventTap() override;

    std::unique_ptr<EventTapPort> createTap(EventTapCallback callback) override;

private:
    friend class SimControl;
    bool injectKey(const KeyEvent& event);
    void disableTaps(CGEventType reason);
    int tapCount() const;
    int listeningTapCount() const;

    struct Tap;
    struct Chain;
    class Port;

    SimHost& m_host;
    std::shared_ptr<Chain> m_chain;
};

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

    // Control face.

    // Delivers the event on the main thread to each listening tap, head first,
    // until one consumes it; from another thread it waits for the delivery.
    // True when a tap consumed it.
    bool injectKey(const KeyEvent& event);
    // The host disables every enabled tap (a too slow callback: by time-out;
    // secure input: by user input) and tells each through its callback.
    void disableTaps(CGEventType reason);
    // Taps that exist, and those among them that would see an event now.
    int tapCount() const;
    int listeningTapCount() const;

private:
    struct Tap;
    struct Chain;
    class Port;

    SimHost& m_host;
    std::shared_ptr<Chain> m_chain;
};

#pragma once

#include "Platform/EventTap.h"

class SimHost;

// The session event tap of the simulated desktop.
class SimEventTap final : public EventTap {
public:
    explicit SimEventTap(SimHost& host) : m_host(host) {}

    std::unique_ptr<EventTapPort> createTap(EventTapCallback callback) override;

private:
    SimHost& m_host;
};

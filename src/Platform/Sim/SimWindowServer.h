#pragma once

#include "Platform/WindowServer.h"

#include <atomic>

class SimHost;

// The window server of the simulated desktop.
class SimWindowServer final : public WindowServer {
public:
    explicit SimWindowServer(SimHost& host) : m_host(host) {}

    std::optional<QVariantList> copyWindowInfo(ListOption option,
                                               quint32 relativeTo) const override;
    QImage createWindowImage(quint32 windowID) const override;
    bool preflightScreenCaptureAccess() const override;
    bool requestScreenCaptureAccess() override;

    // The largest side, in points, of a window image it hands out.
    static constexpr double maxImageSide = 16384;

private:
    friend class SimControl;
    SimHost& m_host;
    std::atomic<int> m_requestCount = 0;
};

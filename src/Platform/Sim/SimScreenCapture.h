#pragma once

#include "Platform/ScreenCapture.h"

#include <atomic>

class SimHost;

// Screen capture of the simulated desktop. Shareable content lists every
// window with a window-server number; a capture draws the window (see
// SimWindowImage) at exactly the configured size.
class SimScreenCapture final : public ScreenCapture {
public:
    static constexpr int userDeclinedError = -3801;
    static constexpr int captureFailedError = -3805;
    static constexpr int windowNotFoundError = -3815;
    static constexpr int invalidConfigurationError = -3812;

    explicit SimScreenCapture(SimHost& host) : m_host(host) {}

    std::variant<QList<ShareableWindow>, CaptureError>
    shareableContent(bool excludeDesktopWindows, bool onScreenWindowsOnly) override;
    std::variant<QImage, CaptureError>
    captureWindow(const ShareableWindow& window,
                  const CaptureConfiguration& configuration) override;

private:
    friend class SimControl;
    SimHost& m_host;
    std::atomic<int> m_captureCount = 0;
};

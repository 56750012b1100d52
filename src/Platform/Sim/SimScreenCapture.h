#pragma once

#include "Platform/ScreenCapture.h"

class SimHost;

// Screen capture of the simulated desktop.
class SimScreenCapture final : public ScreenCapture {
public:
    explicit SimScreenCapture(SimHost& host) : m_host(host) {}

    std::variant<QList<ShareableWindow>, CaptureError>
    shareableContent(bool excludeDesktopWindows, bool onScreenWindowsOnly) override;
    std::variant<QImage, CaptureError>
    captureWindow(const ShareableWindow& window, const CaptureConfiguration& configuration) override;

private:
    SimHost& m_host;
};

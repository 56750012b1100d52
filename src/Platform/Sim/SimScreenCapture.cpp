#include "SimScreenCapture.h"

#include "Platform/Sim/SimHost.h"
#include "Platform/Sim/SimWindowImage.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

CaptureError declined()
{
    return CaptureError{SimScreenCapture::userDeclinedError,
                        QStringLiteral("The user declined screen capture for this application.")};
}

} // namespace

std::variant<QList<ShareableWindow>, CaptureError>
SimScreenCapture::shareableContent(bool excludeDesktopWindows, bool onScreenWindowsOnly)
{
    return m_host.read(
        [&](const SimModel& model) -> std::variant<QList<ShareableWindow>, CaptureError> {
            if (!model.screenRecordingGranted)
                return declined();
            QList<ShareableWindow> windows;
            for (const SimInstance& instance : model.instances) {
                for (const SimWindow& window : instance.windows) {
                    if (!window.windowNumber)
                        continue;
                    // Desktop elements (wallpaper, icons) sit below the normal layer.
                    if (excludeDesktopWindows && window.layer < 0)
                        continue;
                    // Minimized windows and those on another Space are off screen.
                    const bool onScreen = !window.minimized && window.accessible;
                    if (onScreenWindowsOnly && !onScreen)
                        continue;
                    windows.append(ShareableWindow{*window.windowNumber, window.frame, window.title,
                                                   instance.pid, onScreen});
                }
            }
            return windows;
        });
}

std::variant<QImage, CaptureError>
SimScreenCapture::captureWindow(const ShareableWindow& window,
                                const CaptureConfiguration& configuration)
{
    ++m_captureCount;
    double delay = 0;
    const auto found =
        m_host.read([&](const SimModel& model) -> std::variant<SimWindow, CaptureError> {
            delay = model.captureDelaySeconds;
            if (!model.screenRecordingGranted)
                return declined();
            const SimWindow* simWindow = model.windowWithNumber(window.windowID);
            if (!simWindow)
                return CaptureError{windowNotFoundError, QStringLiteral("The window is gone.")};
            if (simWindow->captureFails)
                return CaptureError{captureFailedError,
                                    QStringLiteral("The window could not be captured.")};
            return *simWindow;
        });
    if (const auto* error = std::get_if<CaptureError>(&found))
        return *error;
    if (delay > 0)
        std::this_thread::sleep_for(std::chrono::duration<double>(std::min(delay, 60.0)));

    // Drawn outside the host's lock: rendering a large window takes a while.
    QImage image = SimWindowImage::render(std::get<SimWindow>(found),
                                          QSize(configuration.width, configuration.height));
    if (image.isNull())
        return CaptureError{invalidConfigurationError,
                            QStringLiteral("The capture size is not valid.")};
    return image;
}

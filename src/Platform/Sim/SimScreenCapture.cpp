#include "SimScreenCapture.h"

#include "Platform/Sim/SimHost.h"

// Capture arrives with snapshots.
std::variant<QList<ShareableWindow>, CaptureError> SimScreenCapture::shareableContent(bool, bool)
{
    return CaptureError{-1, QStringLiteral("not available")};
}

std::variant<QImage, CaptureError> SimScreenCapture::captureWindow(const ShareableWindow&,
                                                                   const CaptureConfiguration&)
{
    return CaptureError{-1, QStringLiteral("not available")};
}

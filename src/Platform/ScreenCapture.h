#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

#include <sys/types.h>
#include <variant>

// The screen-capture service: the shareable content and one-shot screenshots
// of single windows. Both fail without the screen-capture permission.
// Calls block the calling thread until the host answers; call them off the
// main thread.

struct ShareableWindow {
    quint32 windowID = 0;
    QRectF frame; // points, top-left origin
    QString title;
    pid_t pid = 0;
    bool isOnScreen = true;
};

struct CaptureError {
    int code = 0;
    QString message;
};

struct CaptureConfiguration {
    int width = 0;  // pixels
    int height = 0; // pixels
    bool showsCursor = false;
};

class ScreenCapture {
public:
    virtual ~ScreenCapture() = default;

    virtual std::variant<QList<ShareableWindow>, CaptureError>
    shareableContent(bool excludeDesktopWindows, bool onScreenWindowsOnly) = 0;

    // One screenshot of the window alone, independent of the desktop, at the
    // configured pixel size.
    virtual std::variant<QImage, CaptureError>
    captureWindow(const ShareableWindow& window, const CaptureConfiguration& configuration) = 0;
};

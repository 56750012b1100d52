#pragma once

#include <QImage>
#include <QString>
#include <QVariant>

#include <optional>

// The window server: its list of windows as loosely typed dictionaries, the
// image of a single window, and the screen-capture permission.
//
// Records come in the host's shape and may be malformed (missing keys, values
// of another kind); callers must check every field.
namespace WindowInfoKey {
inline const QString ownerPID = QStringLiteral("kCGWindowOwnerPID");
inline const QString layer = QStringLiteral("kCGWindowLayer");
inline const QString number = QStringLiteral("kCGWindowNumber");
inline const QString bounds = QStringLiteral("kCGWindowBounds"); // map of X, Y, Width, Height
inline const QString name = QStringLiteral("kCGWindowName");     // withheld without capture access
inline const QString ownerName = QStringLiteral("kCGWindowOwnerName");
} // namespace WindowInfoKey

class WindowServer {
public:
    // Which windows a list copy includes.
    enum class ListOption {
        All, // option 0: on- and off-screen, every Space
        OnScreenOnly,
        IncludingWindow, // only the window given as relativeTo
    };
    static constexpr quint32 nullWindowID = 0;

    virtual ~WindowServer() = default;

    // Front to back. No value when the window server does not answer.
    virtual std::optional<QVariantList> copyWindowInfo(ListOption option,
                                                       quint32 relativeTo) const = 0;

    // The image of one window at its nominal resolution, its own bounds,
    // framing ignored. A null image when there is none.
    virtual QImage createWindowImage(quint32 windowID) const = 0;

    // Screen-capture permission: the check never prompts; the request asks
    // the host to show its prompt and its answer is not meaningful.
    virtual bool preflightScreenCaptureAccess() const = 0;
    virtual bool requestScreenCaptureAccess() = 0;
};

#pragma once

#include "Models/Browser.h"
#include "Models/SafariWindow.h"

#include <QList>
#include <QRectF>
#include <QString>

#include <optional>
#include <sys/types.h>

class Accessibility;
class WindowServer;
class Workspace;
struct Platform;

// One normal-layer window of one process as the window server lists it.
struct CGWindowRecord {
    quint32 id = 0;
    QRectF bounds;               // global points, top-left origin
    std::optional<QString> name; // absent without Screen Recording or when untitled
};

// Lists the switchable windows of a supported app through Accessibility and
// pairs each with its window-server number. Stateless: safe to call from any
// thread, and it never fails (what cannot be read takes its fallback). Every
// element it reads gets a short messaging time-out, so a hung app costs at
// most that much per request.
class SafariWindowService final {
public:
    using CGWindowRecord = ::CGWindowRecord;

    SafariWindowService(Accessibility& accessibility, WindowServer& windowServer,
                        Workspace& workspace);
    explicit SafariWindowService(const Platform& platform);

    // Every running instance in launch order, each in its own window order.
    QList<SafariWindow> discoverWindows(Browser browser) const;
    // The process's layer-0 window-server records, front to back.
    QList<CGWindowRecord> cgWindowInfo(pid_t pid) const;

    static constexpr double messagingTimeout = 0.3;
    // A bounds match needs every edge and extent closer than this.
    static constexpr double boundsTolerance = 2.0;

private:
    void appendInstanceWindows(Browser browser, pid_t pid, QList<SafariWindow>& result) const;
    QRectF windowFrame(const AXElement& element) const;
    static std::optional<quint32> cgWindowIDByBoundsMatch(const QRectF& frame,
                                                          const QList<CGWindowRecord>& records);

    Accessibility& m_accessibility;
    WindowServer& m_windowServer;
    Workspace& m_workspace;
};

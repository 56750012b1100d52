#pragma once

#include "Overlay/OverlayController.h"
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Services/PreferencesService.h"
#include "Services/RecentWindowTracker.h"
#include "Services/SafariMetadataService.h"
#include "Services/SafariWindowService.h"
#include "Services/ScriptGuard.h"
#include "Services/SnapshotService.h"
#include "Services/WindowFocusService.h"

#include <QTemporaryDir>

#include <functional>
#include <optional>

// The overlay controller and every service it is given, over a simulated
// desktop, for the overlay's tests and benchmarks.
struct OverlayFixture {
    static const QRectF screenFrame;
    static const QRectF visibleFrame;
    static const QPointF pointerAside; // on the screen, never on the panel

    // A desktop with one screen and the pointer aside; the apps come from
    // the caller.
    static SimScenarioBuilder desktop();
    // Launches the app with one window per title, numbered from `firstNumber`.
    static SimScenarioBuilder& withWindows(SimScenarioBuilder& builder, Browser app, pid_t pid,
                                           const QStringList& titles, quint32 firstNumber);
    static SimWindow window(const QString& title, quint32 number);

    OverlayFixture(const SimModel& model, const QList<Browser>& enabled);
    // Every installed app of the roster enabled.
    explicit OverlayFixture(const SimModel& model);
    ~OverlayFixture();

    // The scenario compiled into the program.
    static SimModel defaultScenario();
    // One running Chrome with the given number of windows and nothing else.
    static SimModel manyWindows(int count);

    // Shows the switcher as the shortcut does and waits until every window
    // the window server knows has its snapshot (when capture is allowed).
    void showAndSettle(int step = 1, std::optional<Browser> scope = std::nullopt);

    QStringList titles() const;
    QString selectedTitle() const;
    // Waits until the merges submitted so far have completed.
    bool waitForMerges();
    void changeModel(const std::function<void(SimModel&)>& change) { sim.host.modify(change); }
    QString mainWindowTitle(pid_t pid) const;
    // The element token of the app's window with that window-server number.
    quint64 windowToken(pid_t pid, quint32 windowNumber) const;

    SimPlatform sim;
    Platform platform = sim.platform();
    ScriptGuard guard;
    SafariWindowService windowService;
    SafariMetadataService metadata;
    QTemporaryDir thumbnails;
    SnapshotService snapshots;
    WindowFocusService focus;
    PreferencesService preferences;
    RecentWindowTracker tracker;
    BrowserIconCache icons;
    OverlayController controller;
};

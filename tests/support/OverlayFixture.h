#pragma once

#include "Models/Browser.h"
#include "Overlay/OverlayController.h"
#include "Platform/Platform.h"
#include "Platform/Sim/SimPlatform.h"
#include "Services/PreferencesService.h"
#include "Services/RecentWindowTracker.h"
#include "Services/SafariMetadataService.h"
#include "Services/SafariWindowService.h"
#include "Services/ScriptGuard.h"
#include "Services/SnapshotService.h"
#include "Services/WindowFocusService.h"

#include <QTemporaryDir>

#include <memory>

// A switcher over the simulated desktop: every service the overlay
// controller needs, built on one scenario, with a private thumbnail folder.
class OverlayFixture {
public:
    explicit OverlayFixture(SimModel model = defaultScenario());
    ~OverlayFixture();

    // The scenario compiled into the program.
    static SimModel defaultScenario();
    // One running Chrome with the given number of windows and nothing else.
    static SimModel manyWindows(int count);

    // Shows the switcher as the shortcut does and waits until the snapshots
    // of its windows have arrived (when previews are on and capture allowed).
    void showAndSettle(int step = 1, std::optional<Browser> scope = std::nullopt);

    SimPlatform sim;
    Platform platform;
    QTemporaryDir thumbnails;
    ScriptGuard guard;
    SafariWindowService windows;
    SafariMetadataService metadata;
    SnapshotService snapshots;
    WindowFocusService focus;
    PreferencesService preferences;
    RecentWindowTracker tracker;
    BrowserIconCache icons;
    OverlayController controller;
};

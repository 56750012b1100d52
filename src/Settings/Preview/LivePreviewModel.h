#pragma once

#include "Models/Browser.h"
#include "Models/SafariWindow.h"
#include "Models/SettingEnums.h"
#include "Models/SettingTable.h"

#include <QColor>
#include <QList>
#include <QSizeF>

#include <optional>

// The arithmetic of the settings window's miniature of the switcher: which
// apps and sample windows it shows, its unscaled panel size from the card and
// spacing settings, and the scale that fits it into the tab. Pure; the
// preview widget draws what these say.
namespace LivePreviewModel {

// The widest and highest the scaled miniature may be, in points.
inline constexpr double maxWidth = 418;
inline constexpr double maxHeight = 240;
inline constexpr int sampleCount = 4;

// The enabled apps in roster order, cut to the first two; Safari alone when
// none is enabled.
QList<Browser> previewBrowsers(const QList<Browser>& enabledInRosterOrder);

// The four sample windows: two of the first app, two of the second (or of the
// first again when there is only one).
QList<SafariWindow> previewWindows(const QList<Browser>& browsers);

struct Settings {
    double cardWidth = Setting::cardWidth.defaultValue;
    double windowSpacing = Setting::windowSpacing.defaultValue;
    double containerPadding = Setting::containerPadding.defaultValue;
    PanelPosition panelPosition = Setting::panelPosition.defaultValue;
    LayoutMode layoutMode = Setting::layoutMode.defaultValue;
    // The visible frame of the screen the preview is on, which the cards
    // are held to as the switcher's are; none when no screen is known.
    std::optional<QSizeF> screen;
};

struct Geometry {
    double cardWidth = 0; // the card width setting, held to the screen
    int cols = 0;
    int rows = 0;
    double cellWidth = 0;
    double rowHeight = 0;
    double chipHeight = 0; // 0 when the chip row is not shown
    double width = 0;      // W, the unscaled panel
    double height = 0;     // H
    double scale = 1;      // never above 1

    bool showsChips() const { return chipHeight > 0; }
    // The space the miniature takes in the tab: W × scale by H × scale.
    QSizeF framedSize() const { return {width * scale, height * scale}; }
};

Geometry geometry(const Settings& settings, int appCount);

// The glass tint layer of the miniature: its colour at full strength, none
// when there is no tint (also in the brand theme, which has no tint).
std::optional<QColor> tintColor(AppearanceMode mode, GlassTint tint);
// The colour the dynamic tint stands in with: the miniature has no snapshots.
QColor dynamicTintSample();

} // namespace LivePreviewModel

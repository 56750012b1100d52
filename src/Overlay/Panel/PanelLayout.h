#pragma once

#include "Models/SettingEnums.h"
#include "Models/SettingTable.h"
#include "Platform/Screens.h"

#include <QList>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QString>

#include <optional>

// The switcher panel's size and place, worked out in the host's coordinates:
// points, origin at the bottom left of the primary screen, y up, a frame's
// origin at its bottom-left corner. Nothing here touches a window.

struct PanelLayoutInput {
    double cardWidth = Setting::cardWidth.defaultValue;               // W
    double windowSpacing = Setting::windowSpacing.defaultValue;       // s
    double containerPadding = Setting::containerPadding.defaultValue; // p
    int windowCount = 0;
    int filterCount = 0; // apps with windows in this showing: the chips
    bool scoped = false; // a showing limited to one app has neither chips nor rail
    PanelPosition position = PanelPosition::center;
    LayoutMode layoutMode = LayoutMode::strip;
    std::optional<QPointF> customCenter; // where the user last dragged the panel
    QRectF visibleFrame;                 // of the target screen
    // Set for a relayout that keeps the panel's top edge and horizontal
    // centre: its frame now, and every screen to find the one it is on.
    std::optional<QRectF> anchorFrame;
    QList<ScreenInfo> screens;
};

struct PanelLayoutResult {
    QRectF frame;
    int columns = 1;
    double contentWidth = 0;
};

// The card width the panel is sized for and its cards are drawn with: the
// setting, held so that one card fits the largest panel the visible frame
// takes, inside the panel's padding, chips row and rail.
double cardWidthOnScreen(const PanelLayoutInput& input);

// Sizes the panel from the card metrics and places it: at the custom centre
// or the position's place, held inside the visible frame, or, anchored, under
// its current top edge.
PanelLayoutResult computePanelLayout(const PanelLayoutInput& input);

// The screen the panel shows on: by name, the primary one, or the one under
// the pointer ("active" and any name no screen has). None without screens
// unless the host names a main screen.
std::optional<ScreenInfo> targetScreen(const QList<ScreenInfo>& screens,
                                       const std::optional<ScreenInfo>& mainScreen,
                                       const QPointF& pointer, const QString& preferredScreen);

// Whether the point lies in the rectangle, its far edges excluded, as the
// host tests a point against a frame.
bool frameContains(const QRectF& frame, const QPointF& point);

// A window's geometry on whole pixels for a frame already turned into Qt's
// top-left coordinates. Lengths no window can have are held to what Qt
// accepts, so absurd input places a window instead of overflowing.
QRect windowGeometry(const QRectF& frame);

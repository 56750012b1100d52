#pragma once

#include "Brand/ColorScheme.h"
#include "Models/SafariWindow.h"
#include "Models/SettingTable.h"

#include <QColor>
#include <QImage>

class QPainter;

// Everything one card shows. A null image draws the monogram tile.
struct WindowCardContent {
    SafariWindow window;
    QImage image;
    bool isSelected = false;
    double thumbWidth = Setting::cardWidth.defaultValue; // W, points
    bool showProfileBadge = false;
    bool showBrowserBadge = false;
    bool isTesselTheme = false;
    QColor profileColor; // fill of the profile pill
};

class CardDrawingCache;

// One window of the switcher: the thumbnail (the snapshot letter-boxed in a
// faint well, or the monogram tile) with its pills, and the two-line caption.
// It draws a card from its content alone, at the painter's origin and in
// points, so a scaled painter draws a miniature. Hover and clicks belong to
// whoever lays the cards out: the whole card is the hit area.
namespace WindowCard {

// The whole card for a thumbnail width: as wide as its cell in the panel
// (OverlayMetrics), as high as its padding, the thumbnail, the caption gap
// and the two caption lines as the fonts draw them.
QSizeF cardSize(double thumbWidth);
QRectF thumbnailRect(double thumbWidth);

// Draws the card with its top-left corner at the painter's origin. The
// snapshot is drawn from a copy scaled to the device pixels it covers and the
// text from laid-out lines, taken from `cache` when given and made afresh
// otherwise.
void paint(QPainter& painter, const WindowCardContent& content, const ColorScheme& scheme,
           CardDrawingCache* cache = nullptr);

} // namespace WindowCard

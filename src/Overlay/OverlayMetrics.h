#pragma once

// The switcher's lengths, in points: its cards, its chips and its panel. The
// card draws itself by them, the panel is sized by them and the settings
// window's miniature lays out the same panel, so each fits the others. W is
// the card width setting, the width of a card's thumbnail.
#include <algorithm>

namespace OverlayMetrics {

// A card: the thumbnail, W wide and W × thumbnailAspect high, over the
// caption's title and location lines, padded on every side.
inline constexpr double thumbnailAspect = 0.625;
inline constexpr double cardPadding = 10;
inline constexpr double captionGap = 6; // from the thumbnail to the title
inline constexpr double captionLineSpacing = 1;
// What the layouts set aside under the thumbnail for the gap and the two
// caption lines; the lines as the fonts draw them take a little less.
inline constexpr double captionBlock = 40;
// The snapshot and the monogram tile keep this far inside the thumbnail.
inline constexpr double thumbnailInset = 4;

constexpr double thumbnailHeight(double W)
{
    return W * thumbnailAspect;
}
// The cell a card takes in the panel.
constexpr double cellWidth(double W)
{
    return W + 2 * cardPadding;
}
constexpr double cellHeight(double W)
{
    return thumbnailHeight(W) + captionBlock + 2 * cardPadding;
}
// The card width a panel lays out and draws: W, held to the widest card whose
// cell fits the room the panel has for one on its screen. W has no upper
// bound (a hand-edited settings file), and what a card costs to draw grows
// with the square of its width.
constexpr double fittedCardWidth(double W, double roomWidth, double roomHeight)
{
    const double widest = std::min(roomWidth - 2 * cardPadding,
                                   (roomHeight - captionBlock - 2 * cardPadding) / thumbnailAspect);
    return std::max(std::min(W, widest), 0.0);
}

// The app chips: a row above the cards, or a rail beside them.
inline constexpr double chipRowHeight = 46;
inline constexpr double chipRowSpacing = 10;
inline constexpr double railWidth = 58;
inline constexpr double railSpacing = 12;
// What a chip takes along the rail when the panel's height is worked out.
inline constexpr double railChipLength = 34;
// The "All" chip's text is padded by these; an app is its icon.
inline constexpr double allChipPaddingX = 13;
inline constexpr double allChipPaddingY = 7;
inline constexpr double appIconSide = 24;

// The panel at a screen edge, or kept in place while its list narrows, stays
// this far inside the screen's visible frame.
inline constexpr double screenMargin = 24;

} // namespace OverlayMetrics

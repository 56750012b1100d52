#include "PanelLayout.h"

#include "Overlay/OverlayMetrics.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

using namespace OverlayMetrics;

namespace {

// Frames here have their origin at the bottom left, so Qt's top() and
// bottom() would read upside down; these say what they mean.
double minX(const QRectF& r)
{
    return r.x();
}
double maxX(const QRectF& r)
{
    return r.x() + r.width();
}
double midX(const QRectF& r)
{
    return r.x() + r.width() / 2;
}
double minY(const QRectF& r)
{
    return r.y();
}
double maxY(const QRectF& r)
{
    return r.y() + r.height();
}
double midY(const QRectF& r)
{
    return r.y() + r.height() / 2;
}

// The panel takes at most these shares of its screen's visible frame.
constexpr double widestPanelShare = 0.92;
constexpr double tallestPanelShare = 0.85;
constexpr double minimumStripWidth = 360;
constexpr double minimumAnchoredWidth = 200;
constexpr double minimumAnchoredHeight = 120;

// min(max(value, low), high): the upper bound wins when the two cross, as
// when a panel is larger than the frame that should hold it.
double clamp(double value, double low, double high)
{
    return std::min(std::max(value, low), high);
}

struct Size {
    double width;
    double height;
    int columns;
};

// The chips beside the cards: a row above them, and a rail for a panel on a
// side edge. Neither for a scoped showing or a single app.
struct ChipBars {
    bool shown;
    double row;  // its height
    double rail; // its width
};

ChipBars chipBars(const PanelLayoutInput& in)
{
    const bool shown = !in.scoped && in.filterCount > 1;
    return {shown, shown ? chipRowHeight : 0, shown && isVertical(in.position) ? railWidth : 0};
}

Size panelSize(const PanelLayoutInput& in)
{
    const double W = cardWidthOnScreen(in);
    const double s = in.windowSpacing;
    const double p = in.containerPadding;
    const int n = std::max(in.windowCount, 1);
    const int f = in.filterCount;
    const bool vertical = isVertical(in.position);
    const ChipBars bars = chipBars(in);
    const QRectF& VF = in.visibleFrame;

    const double filterBar = bars.row;
    const double sideRail = bars.rail;
    const double railMinimum =
        vertical && bars.shown ? (f + 1) * railChipLength + 2 * p + f * railSpacing : 0;
    const double cellWidth = OverlayMetrics::cellWidth(W);
    const double cellHeight = OverlayMetrics::cellHeight(W);

    if (vertical) {
        const double content = 2 * p + n * cellHeight + s * (n - 1);
        return {cellWidth + 2 * p + sideRail,
                std::min(VF.height() * tallestPanelShare, std::max(content, railMinimum)), 1};
    }
    if (in.layoutMode != LayoutMode::grid || in.windowCount < 2) {
        const double content = 2 * p + n * cellWidth + s * (n - 1);
        return {std::min(VF.width() * widestPanelShare, std::max(content, minimumStripWidth)),
                cellHeight + 2 * p + filterBar, n};
    }
    const double fitting = (VF.width() * 0.82 - 2 * p + s) / (cellWidth + s);
    // Compared before truncating: a NaN or a huge quotient must not reach the
    // conversion to an integer.
    const int columns = !(fitting >= 1) ? 1 : int(std::min(double(n), std::trunc(fitting)));
    const int rows = (n - 1) / columns + 1; // rounded up, without overflowing
    return {2 * p + columns * cellWidth + s * (columns - 1),
            std::min(VF.height() * tallestPanelShare,
                     filterBar + 2 * p + rows * cellHeight + s * (rows - 1)),
            columns};
}

QPointF proposedOrigin(const PanelLayoutInput& in, const Size& size)
{
    const QRectF& VF = in.visibleFrame;
    if (in.customCenter) {
        const QPointF c = *in.customCenter;
        // A vertical panel remembers its top centre, the others their centre.
        return {c.x() - size.width / 2,
                isVertical(in.position) ? c.y() - size.height : c.y() - size.height / 2};
    }
    switch (in.position) {
    case PanelPosition::center:
        return {midX(VF) - size.width / 2, midY(VF) - size.height / 2};
    case PanelPosition::top:
        return {midX(VF) - size.width / 2, maxY(VF) - size.height - screenMargin};
    case PanelPosition::bottom:
        return {midX(VF) - size.width / 2, minY(VF) + screenMargin};
    case PanelPosition::left:
        return {minX(VF) + screenMargin, maxY(VF) - size.height - screenMargin};
    case PanelPosition::right:
        return {maxX(VF) - size.width - screenMargin, maxY(VF) - size.height - screenMargin};
    }
    return {};
}

bool isFinite(const QPointF& point)
{
    return std::isfinite(point.x()) && std::isfinite(point.y());
}

// Qt takes whole pixels within these bounds; beyond them its arithmetic
// overflows.
int toPixels(double value, double low, double high)
{
    if (std::isnan(value))
        return int(std::max(low, 0.0));
    return int(std::lround(clamp(value, low, high)));
}

} // namespace

double cardWidthOnScreen(const PanelLayoutInput& input)
{
    const ChipBars bars = chipBars(input);
    const double padding = 2 * input.containerPadding;
    // A side panel's chips stand in its rail, not above its cards.
    const double above = isVertical(input.position) ? 0 : bars.row;
    // Within the panel's own bounds, so that one card always fits its panel.
    const QRectF& VF = input.visibleFrame;
    return fittedCardWidth(input.cardWidth, VF.width() * widestPanelShare - padding - bars.rail,
                           VF.height() * tallestPanelShare - padding - above);
}

PanelLayoutResult computePanelLayout(const PanelLayoutInput& input)
{
    PanelLayoutInput in = input;
    // A stored centre that is not a number places nothing; the position's
    // own place stands in for it.
    if (in.customCenter && !isFinite(*in.customCenter))
        in.customCenter.reset();

    const Size size = panelSize(in);
    PanelLayoutResult result;
    result.columns = size.columns;

    if (in.anchorFrame && in.anchorFrame->width() > 1) {
        const QRectF current = *in.anchorFrame;
        const QPointF centre(midX(current), midY(current));
        QRectF V = in.visibleFrame;
        for (const ScreenInfo& screen : in.screens) {
            if (frameContains(screen.frame, centre)) {
                V = screen.visibleFrame;
                break;
            }
        }
        const double top = maxY(current);
        const double width =
            std::max(std::min(V.width() - 2 * screenMargin, size.width), minimumAnchoredWidth);
        const double height =
            std::max(std::min(top - minY(V) - screenMargin, size.height), minimumAnchoredHeight);
        const double x = clamp(midX(current) - width / 2, minX(V) + screenMargin,
                               std::max(maxX(V) - width - screenMargin, minX(V) + screenMargin));
        result.frame = QRectF(x, top - height, width, height);
        result.contentWidth = width;
        return result;
    }

    const QPointF origin = proposedOrigin(in, size);
    const QRectF& VF = in.visibleFrame;
    const double x = clamp(origin.x(), minX(VF), std::max(maxX(VF) - size.width, minX(VF)));
    const double y = clamp(origin.y(), minY(VF), std::max(maxY(VF) - size.height, minY(VF)));
    result.frame = QRectF(x, y, size.width, size.height);
    result.contentWidth = size.width;
    return result;
}

std::optional<ScreenInfo> targetScreen(const QList<ScreenInfo>& screens,
                                       const std::optional<ScreenInfo>& mainScreen,
                                       const QPointF& pointer, const QString& preferredScreen)
{
    if (screens.isEmpty())
        return mainScreen;
    if (preferredScreen == QLatin1String("primary")) {
        for (const ScreenInfo& screen : screens) {
            if (screen.frame.topLeft() == QPointF(0, 0))
                return screen;
        }
        return screens.first();
    }
    if (preferredScreen != QLatin1String("active") && !preferredScreen.isEmpty()) {
        for (const ScreenInfo& screen : screens) {
            if (screen.localizedName == preferredScreen)
                return screen;
        }
    }
    for (const ScreenInfo& screen : screens) {
        if (frameContains(screen.frame, pointer))
            return screen;
    }
    return mainScreen ? mainScreen : screens.first();
}

bool frameContains(const QRectF& frame, const QPointF& point)
{
    return point.x() >= minX(frame) && point.x() < maxX(frame) && point.y() >= minY(frame) &&
           point.y() < maxY(frame);
}

QRect windowGeometry(const QRectF& frame)
{
    constexpr double limit = QWIDGETSIZE_MAX;
    return QRect(toPixels(frame.x(), -limit, limit), toPixels(frame.y(), -limit, limit),
                 toPixels(frame.width(), 1, limit), toPixels(frame.height(), 1, limit));
}

#include "Settings/Preview/LivePreviewModel.h"

#include "Overlay/OverlayMetrics.h"
#include "Overlay/Panel/PanelLayout.h"

#include <QUrl>

#include <algorithm>

namespace LivePreviewModel {

namespace {

struct Sample {
    const char* title;
    const char* host;
};

// Public hosts written without "www.", so the card shows them unchanged.
constexpr std::array<Sample, sampleCount> samples{{
    {"GitHub", "github.com"},
    {"Linear", "linear.app"},
    {"Figma", "figma.com"},
    {"Notion", "notion.com"},
}};

SafariWindow sampleWindow(Browser browser, const Sample& sample)
{
    SafariWindow window;
    window.browser = browser;
    window.pid = 0;
    window.title = QString::fromLatin1(sample.title);
    window.scriptWindowID = browser.rawValue() + QLatin1Char('-') + window.title;
    window.isMinimized = false;
    window.tabURL = QUrl(QStringLiteral("https://") + QString::fromLatin1(sample.host));
    window.tabCount = 3;
    return window;
}

} // namespace

QList<Browser> previewBrowsers(const QList<Browser>& enabledInRosterOrder)
{
    if (enabledInRosterOrder.isEmpty())
        return {Browser::safari};
    return enabledInRosterOrder.mid(0, 2);
}

QList<SafariWindow> previewWindows(const QList<Browser>& browsers)
{
    const Browser first = browsers.value(0, Browser::safari);
    const Browser second = browsers.size() > 1 ? browsers.at(1) : first;
    QList<SafariWindow> windows;
    for (int i = 0; i < sampleCount; ++i)
        windows << sampleWindow(i < 2 ? first : second, samples[std::size_t(i)]);
    return windows;
}

Geometry geometry(const Settings& settings, int appCount)
{
    const double s = settings.windowSpacing;
    const double p = settings.containerPadding;
    const bool vertical = isVertical(settings.panelPosition);

    Geometry g;
    g.chipHeight = appCount >= 2 && !vertical ? OverlayMetrics::chipRowHeight : 0;
    g.cardWidth = settings.cardWidth;
    if (settings.screen) {
        // As the switcher would draw them there, rail and all, though the
        // miniature shows no rail.
        PanelLayoutInput panel;
        panel.cardWidth = settings.cardWidth;
        panel.windowSpacing = s;
        panel.containerPadding = p;
        panel.windowCount = sampleCount;
        panel.filterCount = appCount;
        panel.position = settings.panelPosition;
        panel.layoutMode = settings.layoutMode;
        panel.visibleFrame = QRectF(QPointF(0, 0), *settings.screen);
        g.cardWidth = cardWidthOnScreen(panel);
    }
    const double c = g.cardWidth;
    if (vertical)
        g.cols = 1;
    else if (settings.layoutMode == LayoutMode::grid)
        g.cols = std::min(sampleCount, 2);
    else
        g.cols = sampleCount;
    g.rows = (sampleCount + g.cols - 1) / g.cols;
    g.cellWidth = OverlayMetrics::cellWidth(c);
    g.rowHeight = OverlayMetrics::cellHeight(c);
    g.height = (p + p) + (g.rowHeight * g.rows + g.chipHeight + s * (g.rows - 1));
    g.width = (p + p) + (g.cellWidth * g.cols + s * (g.cols - 1));
    g.scale = std::min({maxHeight / g.height, maxWidth / g.width, 1.0});
    return g;
}

std::optional<QColor> tintColor(AppearanceMode mode, GlassTint tint)
{
    if (mode == AppearanceMode::tessel)
        return std::nullopt;
    if (tint == GlassTint::dynamic)
        return dynamicTintSample();
    return color(tint);
}

QColor dynamicTintSample()
{
    return QColor::fromRgbF(0.36f, 0.44f, 0.62f);
}

} // namespace LivePreviewModel

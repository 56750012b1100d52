#include "Overlay/OverlayRules.h"

#include "Brand/TesselTile.h"
#include "Models/ColorHex.h"
#include "Overlay/Cards/WindowCardRules.h"
#include "Overlay/OverlayMetrics.h"

#include <QCoreApplication>

#include <cmath>

namespace OverlayRules {

Arrangement arrangement(PanelPosition position, LayoutMode layout, qsizetype windowCount)
{
    if (isVertical(position))
        return Arrangement::column;
    if (layout == LayoutMode::grid && windowCount >= 2)
        return Arrangement::grid;
    return Arrangement::strip;
}

bool chipsShown(bool scoped, qsizetype availableFilterCount)
{
    return !scoped && availableFilterCount >= 2;
}

bool railLayout(PanelPosition position, bool chipsShown)
{
    return chipsShown && isVertical(position);
}

bool railLeadsCards(PanelPosition position)
{
    return position == PanelPosition::right;
}

bool searchPillShown(const QString& query, qsizetype windowCount)
{
    return !query.isEmpty() || windowCount > 0;
}

double searchPillTop(bool chipsShown, bool railLayout)
{
    return chipsShown && !railLayout ? OverlayMetrics::chipRowHeight + 4 : 10;
}

QString emptyText(const QString& query)
{
    if (query.isEmpty())
        return QCoreApplication::translate("OverlayRules", "No browser windows open");
    return QCoreApplication::translate("OverlayRules", "No windows match \u201C%1\u201D")
        .arg(query);
}

QString allChipText()
{
    return QCoreApplication::translate("OverlayRules", "All");
}

QString allChipToolTip()
{
    return QCoreApplication::translate("OverlayRules", "Show every app (\u23181)");
}

QString appChipToolTip(Browser browser, int position)
{
    return QCoreApplication::translate("OverlayRules", "Show only %1 (\u2318%2)")
        .arg(browser.displayName())
        .arg(position + 2);
}

int cardIndex(const QList<SafariWindow>& windows, int index)
{
    if (index < 0 || index >= windows.size())
        return 0;
    const QString id = windows[index].id();
    for (int i = 0; i < index; ++i) {
        if (windows[i].id() == id)
            return i;
    }
    return index;
}

QColor profileColor(const SafariWindow& window, const QMap<QString, QString>& storedColors)
{
    const std::optional<QString> profile = window.profileName();
    if (!profile)
        return Qt::transparent;
    if (const auto stored = storedColors.constFind(*profile); stored != storedColors.cend()) {
        if (const std::optional<QColor> color = colorFromHex(*stored))
            return *color;
    }
    return TesselTile::color(*profile);
}

double tintStrength(double tintOpacity)
{
    if (!(tintOpacity > 0)) // also not-a-number
        return 0;
    return std::min(tintOpacity, 1.0) * 0.65;
}

std::optional<QColor> effectiveTint(GlassTint tint, const QList<SafariWindow>& windows,
                                    int highlighted, const QHash<QString, QColor>& averageColors)
{
    if (tint != GlassTint::dynamic)
        return color(tint);
    if (highlighted < 0 || highlighted >= windows.size())
        return std::nullopt;
    const SafariWindow& window = windows[highlighted];
    if (const auto average = averageColors.constFind(window.id());
        average != averageColors.cend() && average->isValid())
        return *average;
    return TesselTile::color(WindowCardRules::monogramName(window));
}

} // namespace OverlayRules

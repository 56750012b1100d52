#pragma once

#include "Models/Browser.h"
#include "Models/SafariWindow.h"
#include "Models/SettingEnums.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>

#include <optional>

// The switcher's arithmetic beyond the single card: which arrangement, where
// the chips and the search field go, the texts, the tint and the profile
// pill's colour. Pure functions of the published state and the settings.
namespace OverlayRules {

enum class Arrangement { strip, column, grid };
// A column along a screen edge; the grid only with two cards or more.
Arrangement arrangement(PanelPosition position, LayoutMode layout, qsizetype windowCount);

// The chips show when the showing is not limited to one app and two apps or
// more have windows; along a side edge they stand in a rail.
bool chipsShown(bool scoped, qsizetype availableFilterCount);
bool railLayout(PanelPosition position, bool chipsShown);
// The rail faces the middle of the screen: before the cards at the right edge.
bool railLeadsCards(PanelPosition position);

// The search field shows unless there is neither a query nor a card; it sits
// just under the chip row, else 10 points from the top.
bool searchPillShown(const QString& query, qsizetype windowCount);
double searchPillTop(bool chipsShown, bool railLayout);

// The text where the cards would be.
QString emptyText(const QString& query);

// The word on the "All" chip, in the switcher and in its settings miniature.
QString allChipText();
// The chips' help texts, naming the Command+digit shortcut.
QString allChipToolTip();
QString appChipToolTip(Browser browser, int position);

// The card that stands for index i: the first window with the same id, so
// two listed windows with one id highlight together.
int cardIndex(const QList<SafariWindow>& windows, int index);

// The profile pill's fill: the stored colour when it reads as hex, else the
// name's colour; clear for a window without a profile.
QColor profileColor(const SafariWindow& window, const QMap<QString, QString>& storedColors);

// The tint layer's opacity: the setting kept within 0 to 1 (anything else,
// not-a-number included, counts as 0) of a strongest 65 %.
double tintStrength(double tintOpacity);
// The tint colour, or none. The dynamic tint follows the highlighted window:
// its snapshot colour, else the colour of its monogram tile.
std::optional<QColor> effectiveTint(GlassTint tint, const QList<SafariWindow>& windows,
                                    int highlighted, const QHash<QString, QColor>& averageColors);

} // namespace OverlayRules

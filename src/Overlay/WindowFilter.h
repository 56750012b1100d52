#pragma once

#include "Models/Browser.h"
#include "Models/SafariWindow.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One app's cards of the filtered list, in list order.
struct BrowserGroup {
    Browser browser;
    QList<SafariWindow> windows;

    // For tests and benchmarks: the product never calls these.
    QString id() const { return browser.rawValue(); }
};

// What one filter pass publishes.
struct WindowFilterResult {
    QStringList profiles;                // of every Safari window, in order, repeats kept
    QList<Browser> availableFilters;     // apps with windows, roster order: the chips
    std::optional<Browser> activeFilter; // the one given, unless its app has no window
    QList<SafariWindow> windows;         // the cards
    QList<BrowserGroup> groups;          // the cards per app, roster order, none empty
};

// The cards of a showing from its unfiltered list: the app filter (ignored
// by a scoped showing) and then the search, which keeps the windows whose
// title, host, tab URL, Safari profile or app name contains the query, all
// lower-cased. A pure function of its arguments.
WindowFilterResult filterWindows(const QList<SafariWindow>& all,
                                 std::optional<Browser> activeFilter, std::optional<Browser> scope,
                                 const QString& searchQuery);

// The card of a window after the cards changed under it: its first card by
// id, else the first card of its app with its window number, since a document
// app's merge gives a listed window the id of its document and a re-listing
// gives it back its own. None when the window is gone.
std::optional<int> sameWindowIndex(const QList<SafariWindow>& windows, const SafariWindow& window);

// Where the selection lands when the cards change under it: on the selected
// window when it is still listed, else at the same place, else on the last
// card; 0 for no cards.
int keptSelection(const QList<SafariWindow>& windows, const std::optional<SafariWindow>& selected,
                  int selectedIndex);

// The card a showing from the shortcut selects first: that of the most
// recently used window (`order`, most recent first) that is not the window
// in front. The window in front is the order's first entry when it names a
// card of the frontmost app. A first entry that names no card is a window in
// front that has none yet (one opened since the cards were listed, or one
// never listed), so every card the order names was used before it; with an
// app in front that the switcher does not list, likewise. Later entries that
// name no card (windows that are gone) are passed over. An entry names its
// card by id, or by window number ("cg-<n>", as focus changes report a
// document app's window whose card carries its document's id), so one window
// can stand in the order twice: every entry that is the window in front is
// passed over. None when no other window of the order has a card.
std::optional<int> recentSelection(const QList<SafariWindow>& cards, const QStringList& order,
                                   std::optional<Browser> frontmostApp);

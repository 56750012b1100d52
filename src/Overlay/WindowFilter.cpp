#include "WindowFilter.h"

#include <algorithm>
#include <array>

namespace {

const std::array<QString, Browser::count>& loweredDisplayNames()
{
    static const std::array<QString, Browser::count> names = [] {
        std::array<QString, Browser::count> result;
        for (Browser browser : Browser::allCases())
            result[std::size_t(Browser::Case(browser))] = browser.displayName().toLower();
        return result;
    }();
    return names;
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// The query is lower-cased once; each text is lower-cased as it is tried.
struct Query {
    QString lowered;
    bool ascii;

    bool foundIn(QStringView text) const
    {
        // Between ASCII texts, ignoring case is lower-casing, without a copy.
        if (ascii && isAscii(text))
            return text.contains(lowered, Qt::CaseInsensitive);
        return text.toString().toLower().contains(lowered);
    }
};

// Tried in the order a reader would look: the title, then where the window
// is, then who it belongs to.
bool matches(const SafariWindow& window, const std::optional<QString>& profile, const Query& query)
{
    if (query.foundIn(window.title))
        return true;
    if (const std::optional<QString> domain = window.domain(); domain && query.foundIn(*domain))
        return true;
    if (window.tabURL && query.foundIn(window.tabURL->toString(QUrl::FullyEncoded)))
        return true;
    if (profile && query.foundIn(*profile))
        return true;
    return loweredDisplayNames()[std::size_t(Browser::Case(window.browser))].contains(
        query.lowered);
}

// The card an entry of the recent order names: the one with that id, else
// the one whose window number it gives. Window numbers are the window
// server's, one per window of any app.
std::optional<int> recentCardIndex(const QList<SafariWindow>& cards, const QString& entry)
{
    auto found = std::find_if(cards.cbegin(), cards.cend(),
                              [&](const SafariWindow& card) { return card.id() == entry; });
    if (found == cards.cend()) {
        found = std::find_if(cards.cbegin(), cards.cend(), [&](const SafariWindow& card) {
            return card.windowID && windowServerWindowId(*card.windowID) == entry;
        });
    }
    if (found == cards.cend())
        return std::nullopt;
    return int(found - cards.cbegin());
}

} // namespace

WindowFilterResult filterWindows(const QList<SafariWindow>& all,
                                 std::optional<Browser> activeFilter, std::optional<Browser> scope,
                                 const QString& searchQuery)
{
    WindowFilterResult result;
    std::array<bool, Browser::count> present{};
    QList<std::optional<QString>> profiles;
    profiles.reserve(all.size());
    for (const SafariWindow& window : all) {
        present[std::size_t(Browser::Case(window.browser))] = true;
        profiles << window.profileName();
        if (profiles.last())
            result.profiles << *profiles.last();
    }
    for (Browser browser : Browser::allCases()) {
        if (present[std::size_t(Browser::Case(browser))])
            result.availableFilters << browser;
    }
    if (activeFilter && present[std::size_t(Browser::Case(*activeFilter))])
        result.activeFilter = activeFilter;

    // A scoped showing has one app already and ignores the app filter.
    const bool narrowed = !scope && result.activeFilter;
    const Browser onlyApp = result.activeFilter.value_or(Browser::safari);
    const QString lowered = searchQuery.toLower();
    const Query query{lowered, isAscii(lowered)};
    std::array<QList<SafariWindow>, Browser::count> perApp;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const SafariWindow& window = all[i];
        if (narrowed && window.browser != onlyApp)
            continue;
        if (!lowered.isEmpty() && !matches(window, profiles[i], query))
            continue;
        result.windows << window;
        perApp[std::size_t(Browser::Case(window.browser))] << window;
    }
    for (Browser browser : Browser::allCases()) {
        QList<SafariWindow>& windows = perApp[std::size_t(Browser::Case(browser))];
        if (!windows.isEmpty())
            result.groups << BrowserGroup{browser, std::move(windows)};
    }
    return result;
}

std::optional<int> sameWindowIndex(const QList<SafariWindow>& windows, const SafariWindow& window)
{
    const QString id = window.id();
    auto found = std::find_if(windows.cbegin(), windows.cend(),
                              [&](const SafariWindow& card) { return card.id() == id; });
    if (found == windows.cend() && window.windowID) {
        found = std::find_if(windows.cbegin(), windows.cend(), [&](const SafariWindow& card) {
            return card.browser == window.browser && card.windowID == window.windowID;
        });
    }
    if (found == windows.cend())
        return std::nullopt;
    return int(found - windows.cbegin());
}

int keptSelection(const QList<SafariWindow>& windows, const std::optional<SafariWindow>& selected,
                  int selectedIndex)
{
    if (selected) {
        if (const std::optional<int> kept = sameWindowIndex(windows, *selected))
            return *kept;
    }
    if (selectedIndex >= 0 && selectedIndex < windows.size())
        return selectedIndex;
    return std::max(int(windows.size()) - 1, 0);
}

std::optional<int> recentSelection(const QList<SafariWindow>& cards, const QStringList& order,
                                   std::optional<Browser> frontmostApp)
{
    std::optional<SafariWindow> front;
    for (qsizetype i = 0; i < order.size(); ++i) {
        const std::optional<int> index = recentCardIndex(cards, order[i]);
        if (!index)
            continue;
        const SafariWindow& card = cards[*index];
        if (i == 0 && frontmostApp && card.browser == *frontmostApp) {
            front = card;
            continue;
        }
        if (front && sameWindowIndex({*front}, card))
            continue;
        return index;
    }
    return std::nullopt;
}

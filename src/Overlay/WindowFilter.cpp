#include "WindowFilter.h"

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

bool contains(const QString& text, const QString& loweredQuery)
{
    return text.toLower().contains(loweredQuery);
}

// Tried in the order a reader would look: the title, then where the window
// is, then who it belongs to.
bool matches(const SafariWindow& window, const std::optional<QString>& profile,
             const QString& loweredQuery)
{
    if (contains(window.title, loweredQuery))
        return true;
    if (const std::optional<QString> domain = window.domain();
        domain && contains(*domain, loweredQuery))
        return true;
    if (window.tabURL && contains(window.tabURL->toString(QUrl::FullyEncoded), loweredQuery))
        return true;
    if (profile && contains(*profile, loweredQuery))
        return true;
    return loweredDisplayNames()[std::size_t(Browser::Case(window.browser))].contains(loweredQuery);
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

    const std::optional<Browser> onlyApp = scope ? std::nullopt : result.activeFilter;
    const QString query = searchQuery.toLower();
    std::array<QList<SafariWindow>, Browser::count> perApp;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const SafariWindow& window = all[i];
        if (onlyApp && window.browser != *onlyApp)
            continue;
        if (!query.isEmpty() && !matches(window, profiles[i], query))
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

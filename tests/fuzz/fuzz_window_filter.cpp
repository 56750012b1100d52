// One filter pass of the switcher and where the selection lands after it.
//
// Properties beyond not crashing:
// - the cards are the windows of the list, in list order, that pass the app
//   filter (ignored by a scoped showing) and whose title, domain, tab URL,
//   Safari profile or app name contains the lower-cased query, lower-cased;
// - the groups partition the cards: one per app, in roster order, none empty,
//   each in list order;
// - the chips are the apps with a window in the unfiltered list, in roster
//   order, and an app filter survives only when its app is among them;
// - the selection after the pass is a card of the new list (0 when there is
//   none): the first card of the selected window when it is still listed by
//   id, else the first card of its app with its window number, if any.

#include "FuzzInput.h"
#include "Overlay/WindowFilter.h"

#include <algorithm>

namespace {

QString describe(const SafariWindow& window)
{
    return QStringLiteral("[%1] \"%2\"").arg(window.browser.displayName(), window.title);
}

Browser anyBrowser(FuzzInput& input)
{
    return Browser::allCases()[std::size_t(input.range(0, Browser::count - 1))];
}

SafariWindow anyWindow(FuzzInput& input)
{
    SafariWindow window;
    window.browser = anyBrowser(input);
    window.pid = pid_t(input.range(1, 4));
    // Few titles and numbers, so that windows often share an id.
    window.title = input.textOrWord(
        {"Work \u2014 Inbox", "Personal \u2014 \u00c9t\u00e9", "Inbox", "README.md", ""});
    if (input.flag())
        window.windowID = quint32(input.range(1, 6));
    if (input.flag())
        window.tabURL =
            QUrl(input.textOrWord({"https://www.example.org/a?q=Inbox",
                                   "file:///home/me/Docs/%C3%A9t%C3%A9.txt", "about:blank", ""}));
    window.frame = QRectF(input.range(0, 3), input.range(0, 3), 400, 300);
    // A document app's record with a script id and a window number has a
    // "doc-" id: one window, several ids.
    if (input.flag())
        window.scriptWindowID = input.textOrWord({"Poster.psd", "7"});
    return window;
}

bool contains(const QString& text, const QString& lowered)
{
    return text.toLower().contains(lowered);
}

// The search, written the slow and obvious way.
bool matchesQuery(const SafariWindow& window, const QString& lowered)
{
    if (lowered.isEmpty())
        return true;
    if (contains(window.title, lowered))
        return true;
    if (const std::optional<QString> domain = window.domain(); domain && contains(*domain, lowered))
        return true;
    if (window.tabURL && contains(window.tabURL->toString(QUrl::FullyEncoded), lowered))
        return true;
    if (const std::optional<QString> profile = window.profileName();
        profile && contains(*profile, lowered))
        return true;
    return contains(window.browser.displayName(), lowered);
}

void checkPass(const QList<SafariWindow>& all, std::optional<Browser> activeFilter,
               std::optional<Browser> scope, const QString& query)
{
    const WindowFilterResult result = filterWindows(all, activeFilter, scope, query);

    QList<Browser> present;
    for (Browser browser : Browser::allCases()) {
        if (std::any_of(all.cbegin(), all.cend(),
                        [browser](const SafariWindow& w) { return w.browser == browser; }))
            present << browser;
    }
    FUZZ_CHECK(result.availableFilters == present, QStringLiteral("the chips are not the apps"));
    const bool filterKept = activeFilter && present.contains(*activeFilter);
    FUZZ_CHECK(result.activeFilter == (filterKept ? activeFilter : std::nullopt),
               QStringLiteral("the app filter was kept or dropped wrongly"));

    const QString lowered = query.toLower();
    QList<SafariWindow> expected;
    for (const SafariWindow& window : all) {
        if (!scope && filterKept && window.browser != *activeFilter)
            continue;
        if (matchesQuery(window, lowered))
            expected << window;
    }
    FUZZ_CHECK(result.windows.size() == expected.size(),
               QStringLiteral("%1 cards for \"%2\", expected %3")
                   .arg(result.windows.size())
                   .arg(query)
                   .arg(expected.size()));
    for (qsizetype i = 0; i < expected.size(); ++i)
        FUZZ_CHECK(result.windows[i].id() == expected[i].id() &&
                       result.windows[i].title == expected[i].title,
                   QStringLiteral("card %1 is %2, expected %3")
                       .arg(i)
                       .arg(describe(result.windows[i]), describe(expected[i])));

    qsizetype grouped = 0;
    std::optional<Browser> previous;
    for (const BrowserGroup& group : result.groups) {
        FUZZ_CHECK(!group.windows.isEmpty(), QStringLiteral("an empty group"));
        FUZZ_CHECK(!previous || Browser::Case(*previous) < Browser::Case(group.browser),
                   QStringLiteral("groups out of roster order"));
        previous = group.browser;
        QList<SafariWindow> ofApp;
        for (const SafariWindow& window : result.windows) {
            if (window.browser == group.browser)
                ofApp << window;
        }
        FUZZ_CHECK(ofApp.size() == group.windows.size(),
                   QStringLiteral("the %1 group is not its cards").arg(group.id()));
        for (qsizetype i = 0; i < ofApp.size(); ++i)
            FUZZ_CHECK(ofApp[i].title == group.windows[i].title,
                       QStringLiteral("the %1 group is out of order").arg(group.id()));
        grouped += group.windows.size();
    }
    FUZZ_CHECK(grouped == result.windows.size(), QStringLiteral("the groups miss cards"));
}

void checkSelection(const QList<SafariWindow>& windows, const std::optional<SafariWindow>& chosen,
                    int selectedIndex)
{
    const int selected = keptSelection(windows, chosen, selectedIndex);
    if (windows.isEmpty()) {
        FUZZ_CHECK(selected == 0, QStringLiteral("selection %1 of no cards").arg(selected));
        return;
    }
    FUZZ_CHECK(selected >= 0 && selected < windows.size(),
               QStringLiteral("selection %1 of %2 cards").arg(selected).arg(windows.size()));
    if (!chosen)
        return;
    for (const bool byNumber : {false, true}) {
        for (qsizetype i = 0; i < windows.size(); ++i) {
            const SafariWindow& card = windows[i];
            if (byNumber ? chosen->windowID && card.browser == chosen->browser &&
                               card.windowID == chosen->windowID
                         : card.id() == chosen->id()) {
                FUZZ_CHECK(selected == i,
                           QStringLiteral("the selected window moved from card %1 to %2")
                               .arg(i)
                               .arg(selected));
                return;
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    QList<SafariWindow> all;
    const int count = input.range(0, 24);
    for (int i = 0; i < count; ++i)
        all << anyWindow(input);
    const std::optional<Browser> activeFilter =
        input.flag() ? std::optional<Browser>(anyBrowser(input)) : std::nullopt;
    const std::optional<Browser> scope =
        input.flag() ? std::optional<Browser>(anyBrowser(input)) : std::nullopt;
    const QString query = input.textOrWord({"inbox", "\u00c9T\u00c9", "Safari", "www", "/", "%"});
    checkPass(all, activeFilter, scope, query);

    std::optional<SafariWindow> chosen;
    if (!all.isEmpty() && input.flag())
        chosen = all[input.range(0, int(all.size()) - 1)];
    const WindowFilterResult result = filterWindows(all, activeFilter, scope, query);
    checkSelection(result.windows, chosen, input.range(-2, 30));
    return 0;
}

#include "Overlay/WindowFilter.h"

#include <QTest>

namespace {

SafariWindow window(Browser browser, const QString& title, const QString& url = {})
{
    SafariWindow w;
    w.browser = browser;
    w.title = title;
    w.scriptWindowID = title; // a distinct id per title
    if (!url.isEmpty())
        w.tabURL = QUrl(url);
    return w;
}

// The unfiltered list of a showing: each app's windows, apps in roster order.
const QList<SafariWindow> all{
    window(Browser::safari, "Work — Pull requests", "https://github.com/tessel/pulls"),
    window(Browser::safari, "news.example — Front page", "https://news.example/"),
    window(Browser::safari, "Σημειώσεις"),
    window(Browser::chrome, "Board", "https://www.gitlab.com/x%20y"),
    window(Browser::finder, "Projects", "file:///srv/Repos/"),
    window(Browser::terminal, "zsh"),
};

QStringList titles(const QList<SafariWindow>& windows)
{
    QStringList result;
    for (const SafariWindow& w : windows)
        result << w.title;
    return result;
}

} // namespace

class TestWindowFilter : public QObject {
    Q_OBJECT
private slots:
    void search_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("empty keeps all, in order") << "" << titles(all);
        QTest::newRow("title, any case") << "BOARD" << QStringList{"Board"};
        QTest::newRow("host without www") << "gitlab.com" << QStringList{"Board"};
        QTest::newRow("URL keeps its www") << "www.gitlab" << QStringList{"Board"};
        QTest::newRow("URL keeps its escapes") << "x%20y" << QStringList{"Board"};
        QTest::newRow("decoded URL text is not searched") << "x y" << QStringList{};
        QTest::newRow("folder path") << "/srv/repos" << QStringList{"Projects"};
        QTest::newRow("app name") << "terminal" << QStringList{"zsh"};
        QTest::newRow("across fields") << "git" << QStringList{"Work — Pull requests", "Board"};
        QTest::newRow("lower-cased capital sigma") << "σημ" << QStringList{"Σημειώσεις"};
        // Lower-casing, not case folding: a final sigma stays itself.
        QTest::newRow("no folding beyond lower case") << "ςημ" << QStringList{};
        QTest::newRow("nothing matches") << "nothing" << QStringList{};
    }
    void search()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, kept);
        QCOMPARE(titles(filterWindows(all, std::nullopt, std::nullopt, query).windows), kept);
    }

    void appFilterAndScope_data()
    {
        QTest::addColumn<int>("filter"); // -1: none
        QTest::addColumn<int>("scope");  // -1: none
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<int>("filterAfter");
        QTest::newRow("app filter")
            << int(Browser::chrome) << -1 << "" << QStringList{"Board"} << int(Browser::chrome);
        QTest::newRow("app filter then search")
            << int(Browser::safari) << -1 << "work" << QStringList{"Work — Pull requests"}
            << int(Browser::safari);
        QTest::newRow("filter of an app without windows is dropped")
            << int(Browser::arc) << -1 << "" << titles(all) << -1;
        QTest::newRow("a scoped showing ignores the filter")
            << int(Browser::chrome) << int(Browser::terminal) << "" << titles(all)
            << int(Browser::chrome);
    }
    void appFilterAndScope()
    {
        QFETCH(int, filter);
        QFETCH(int, scope);
        QFETCH(QString, query);
        QFETCH(QStringList, kept);
        QFETCH(int, filterAfter);
        const auto app = [](int raw) -> std::optional<Browser> {
            return raw < 0 ? std::nullopt : std::optional<Browser>(Browser::Case(raw));
        };
        const WindowFilterResult result = filterWindows(all, app(filter), app(scope), query);
        QCOMPARE(titles(result.windows), kept);
        QCOMPARE(result.activeFilter, app(filterAfter));
    }

    void chipsGroupsAndProfiles()
    {
        // Out of roster order on purpose: chips and groups follow the roster.
        const QList<SafariWindow> mixed{
            window(Browser::terminal, "top"),
            window(Browser::safari, "Work — Inbox"),
            window(Browser::terminal, "vim"),
            window(Browser::safari, "Work — Calendar"),
            window(Browser::safari, "Twenty-five characters!!! — Long profile"),
            window(Browser::chrome, "Home — Not Safari"),
        };
        const WindowFilterResult result =
            filterWindows(mixed, std::nullopt, std::nullopt, QStringLiteral("o"));
        QCOMPARE(result.availableFilters,
                 (QList<Browser>{Browser::safari, Browser::chrome, Browser::terminal}));
        // Profiles come from every Safari window, searched or not, repeats kept.
        QCOMPARE(result.profiles, (QStringList{"Work", "Work"}));
        QCOMPARE(titles(result.windows),
                 (QStringList{"top", "Work — Inbox", "Work — Calendar",
                              "Twenty-five characters!!! — Long profile", "Home — Not Safari"}));
        QCOMPARE(result.groups.size(), 3);
        QCOMPARE(result.groups[0].browser, Browser::safari);
        QCOMPARE(result.groups[0].windows.size(), 3);
        QCOMPARE(titles(result.groups[1].windows), QStringList{"Home — Not Safari"});
        QCOMPARE(result.groups[2].id(), QStringLiteral("terminal"));
        QCOMPARE(titles(result.groups[2].windows), QStringList{"top"});

        const WindowFilterResult none = filterWindows({}, Browser::safari, std::nullopt, "x");
        QVERIFY(none.windows.isEmpty() && none.groups.isEmpty() && none.availableFilters.isEmpty());
        QVERIFY(!none.activeFilter);
    }

    // The first press of the shortcut: the window used before the one in
    // front, which may stand in the order under two ids.
    void recentSelection_data()
    {
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<int>("frontmost"); // -1: none
        QTest::addColumn<int>("selected");  // -1: none
        QTest::newRow("a document's window in front under both its ids")
            << QStringList{"cg-201", "doc-photoshop-Poster.psd", "cg-91"} << int(Browser::photoshop)
            << 1;
        // A window in front that has no card yet (opened since the cards
        // were listed): every card was used before it.
        QTest::newRow("a window without a card in front: the window used before it")
            << QStringList{"cg-404", "cg-88", "cg-91"} << int(Browser::safari) << 0;
        QTest::newRow("a window without a card in front, a document used before it")
            << QStringList{"cg-251", "cg-201", "doc-photoshop-Poster.psd", "cg-120"}
            << int(Browser::photoshop) << 2;
        QTest::newRow("an app without cards in front: the most recent window")
            << QStringList{"cg-120", "cg-88"} << int(Browser::terminal) << 3;
        QTest::newRow("nothing used but the window in front")
            << QStringList{"cg-88", "cg-404"} << int(Browser::safari) << -1;
    }
    void recentSelection()
    {
        QFETCH(QStringList, order);
        QFETCH(int, frontmost);
        QFETCH(int, selected);
        const auto numbered = [](Browser app, const QString& title, quint32 number) {
            SafariWindow w = window(app, title);
            w.windowID = number;
            return w;
        };
        // cg-88, cg-91, doc-photoshop-Poster.psd, cg-120.
        const QList<SafariWindow> cards{
            numbered(Browser::safari, "Inbox", 88), numbered(Browser::safari, "Plan", 91),
            numbered(Browser::photoshop, "Poster.psd", 201), numbered(Browser::chrome, "PR", 120)};
        const std::optional<int> result = ::recentSelection(
            cards, order,
            frontmost < 0 ? std::nullopt : std::optional<Browser>(Browser::Case(frontmost)));
        QCOMPARE(result.value_or(-1), selected);
    }

    void hostileTitles()
    {
        QString huge(10000, QChar(u'\u0007'));
        huge += QStringLiteral("needle");
        const QList<SafariWindow> windows{window(Browser::safari, huge),
                                          window(Browser::safari, QString(10000, u'a'))};
        const WindowFilterResult result =
            filterWindows(windows, std::nullopt, std::nullopt, QStringLiteral("NEEDLE"));
        QCOMPARE(result.windows.size(), 1);
        QCOMPARE(result.windows.first().title.size(), 10006);
    }
};

QTEST_APPLESS_MAIN(TestWindowFilter)
#include "tst_WindowFilter.moc"

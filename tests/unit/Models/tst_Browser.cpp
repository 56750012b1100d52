#include "Models/Browser.h"
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"

#include <QTest>

class TestBrowser : public QObject {
    Q_OBJECT
private slots:
    void rosterOrderAndFamilies()
    {
        const auto& all = Browser::allCases();
        QCOMPARE(all.size(), size_t(32));
        QCOMPARE(all.front(), Browser::safari);
        QCOMPARE(all.back(), Browser::obsidian);
        QCOMPARE(all[3], Browser::firefox);
        QVERIFY(Browser(Browser::firefox).isAccessibilityOnly());
        QVERIFY(!Browser(Browser::firefox).isScriptedApp());

        using Kind = Browser::WindowScriptKind;
        const QHash<Kind, QList<Browser>> kinds{
            {Kind::safari, {Browser::safari}},
            {Kind::chromium,
             {Browser::chrome, Browser::edge, Browser::brave, Browser::vivaldi, Browser::opera}},
            {Kind::arc, {Browser::arc}},
            {Kind::finder, {Browser::finder}},
            {Kind::generic,
             {Browser::terminal, Browser::iterm, Browser::pages, Browser::numbers,
              Browser::keynote}},
        };
        const QList<Browser> documentApps{Browser::photoshop, Browser::illustrator,
                                          Browser::indesign, Browser::acrobat};

        int accessibilityOnly = 0;
        for (Browser browser : all) {
            QCOMPARE(browser.id(), browser.rawValue());
            // Raw values and bundle ids map back to the same case.
            QCOMPARE(Browser::fromRawValue(browser.rawValue()), browser);
            QCOMPARE(Browser::from(browser.bundleID()), browser);

            std::optional<Kind> kind;
            for (auto it = kinds.cbegin(); it != kinds.cend(); ++it) {
                if (it.value().contains(browser))
                    kind = it.key();
            }
            QCOMPARE(browser.windowScriptKind(), kind);
            QCOMPARE(browser.isWindowScriptApp(), kind.has_value());
            QCOMPARE(browser.isDocumentApp(), documentApps.contains(browser));
            QCOMPARE(browser.isWindowMenuDocumentApp(), browser == Browser::acrobat);
            QCOMPARE(browser.isScriptedApp(), kind || documentApps.contains(browser));
            QCOMPARE(browser.isAccessibilityOnly(), !browser.isScriptedApp());
            accessibilityOnly += browser.isAccessibilityOnly();
        }
        QCOMPARE(accessibilityOnly, 15);
    }

    void lookups_data()
    {
        QTest::addColumn<bool>("byBundleID");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // -1: no app

        QTest::newRow("bundle id") << true << "com.apple.Safari" << int(Browser::safari);
        QTest::newRow("bundle id in lower case") << true << "com.apple.safari" << -1;
        QTest::newRow("bundle id of no roster app") << true << "org.example.Editor" << -1;
        QTest::newRow("odd-case bundle id")
            << true << "com.microsoft.Powerpoint" << int(Browser::powerpoint);
        QTest::newRow("raw value") << false << "affinityDesigner" << int(Browser::affinityDesigner);
        QTest::newRow("display name") << false << "Safari" << -1;
        QTest::newRow("trailing blank") << false << "safari " << -1;
        QTest::newRow("empty") << false << "" << -1;
    }
    void lookups()
    {
        QFETCH(bool, byBundleID);
        QFETCH(QString, text);
        QFETCH(int, expected);
        const std::optional<Browser> found =
            byBundleID ? Browser::from(text) : Browser::fromRawValue(text);
        if (expected < 0)
            QVERIFY(!found);
        else
            QCOMPARE(found, Browser(Browser::Case(expected)));
    }

    void fromMissingBundleID() { QVERIFY(!Browser::from(std::nullopt)); }

    void installedFollowsTheWorkspace()
    {
        SimPlatform sim(
            SimScenarioBuilder().install(Browser::finder).install(Browser::safari).build());
        QCOMPARE(Browser::installed(sim.workspace),
                 (QList<Browser>{Browser::safari, Browser::finder}));
        QVERIFY(!Browser(Browser::chrome).isInstalled(sim.workspace));

        // Not cached: an app installed meanwhile is seen at the next call.
        sim.host.modify([](SimModel& model) {
            SimScenarioBuilder builder;
            builder.install(Browser::chrome);
            model.installedApps << builder.build().installedApps;
        });
        QVERIFY(Browser(Browser::chrome).isInstalled(sim.workspace));
        QCOMPARE(Browser::installed(sim.workspace),
                 (QList<Browser>{Browser::safari, Browser::chrome, Browser::finder}));
    }

    void iconCache()
    {
        SimPlatform sim(SimScenarioBuilder().install(Browser::safari).build());
        BrowserIconCache cache(sim.workspace);

        QVERIFY(!cache.icon(Browser::safari).isNull());
        QVERIFY(cache.contains(Browser::safari));

        // Not installed: no icon, and nothing remembered.
        QVERIFY(cache.icon(Browser::arc).isNull());
        QVERIFY(!cache.contains(Browser::arc));

        sim.host.modify([](SimModel& model) {
            SimScenarioBuilder builder;
            builder.install(Browser::arc);
            model.installedApps << builder.build().installedApps;
        });
        const QImage arcIcon = cache.icon(Browser::arc);
        QVERIFY(!arcIcon.isNull());
        QVERIFY(cache.contains(Browser::arc));

        // Kept for the life of the cache, even after the app is removed.
        sim.host.modify([](SimModel& model) { model.installedApps.clear(); });
        QCOMPARE(cache.icon(Browser::arc), arcIcon);
    }
};

QTEST_GUILESS_MAIN(TestBrowser)
#include "tst_Browser.moc"

#include "Platform/Live/JsonUserDefaults.h"
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Services/PreferencesService.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <memory>

namespace {

using BrowserSet = PreferencesService::BrowserSet;

QVariantList allRawValues()
{
    QVariantList names;
    for (Browser browser : Browser::allCases())
        names << browser.rawValue();
    return names;
}

QVariantList texts(const QStringList& list)
{
    QVariantList result;
    for (const QString& text : list)
        result << text;
    return result;
}

// A simulated desktop with some apps installed and a settings store that
// starts with the given values.
struct Fixture {
    explicit Fixture(const QVariantMap& stored = {},
                     const QList<Browser>& installed = {Browser::safari, Browser::finder})
        : sim([&] {
              SimScenarioBuilder builder;
              for (Browser browser : installed)
                  builder.install(browser);
              return builder.build();
          }())
    {
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            sim.defaults.set(it.key(), it.value());
    }

    PreferencesService& load()
    {
        preferences = std::make_unique<PreferencesService>(sim.defaults, sim.workspace,
                                                           sim.loginItems, sim.systemLog);
        return *preferences;
    }

    SimPlatform sim;
    std::unique_ptr<PreferencesService> preferences;
};

const QVariantMap migrated{{"containerRadiusMigrated", true}};

} // namespace

class TestPreferencesService : public QObject {
    Q_OBJECT
private slots:
    void firstStart()
    {
        Fixture fixture;
        const PreferencesService& p = fixture.load();
        QCOMPARE(p.shortcutPreset(), ShortcutPreset::optionTab);
        QCOMPARE(p.cardWidth(), 260.0);
        QCOMPARE(p.glassTint(), GlassTint::tesselGreen);
        QCOMPARE(p.tintOpacity(), 0.4);
        QCOMPARE(p.surfaceStyle(), SurfaceStyle::frosted);
        QCOMPARE(p.cornerRadius(), 26.0);
        QCOMPARE(p.windowSpacing(), 16.0);
        QCOMPARE(p.containerPadding(), 24.0);
        QCOMPARE(p.layoutMode(), LayoutMode::strip);
        QCOMPARE(p.sortOrder(), WindowSortOrder::recentlyUsed);
        QVERIFY(p.showProfileBadge() && p.showWindowPreviews() && p.enhanceCommandBacktick());
        QCOMPARE(p.appearanceMode(), AppearanceMode::system);
        QCOMPARE(p.preferredScreen(), QStringLiteral("active"));
        QCOMPARE(p.enabledBrowsers(), (BrowserSet{Browser::safari, Browser::finder}));
        QCOMPARE(p.panelPosition(), PanelPosition::center);
        QVERIFY(!p.customPanelCenter());
        QVERIFY(p.profileColors().isEmpty());
        QVERIFY(p.knownProfiles().isEmpty());
        QVERIFY(!p.launchAtLogin());

        // Loading writes only the bookkeeping.
        const QVariantMap expected{{"containerRadiusMigrated", true},
                                   {"offeredApps", allRawValues()}};
        QCOMPARE(fixture.sim.defaults.values(), expected);
    }

    void loadedValues_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("loaded");

        QTest::newRow("card width too small") << "cardWidth" << QVariant(120.0) << QVariant(260.0);
        QTest::newRow("card width just too small")
            << "cardWidth" << QVariant(179.9) << QVariant(260.0);
        QTest::newRow("card width at the bound")
            << "cardWidth" << QVariant(180.0) << QVariant(180.0);
        QTest::newRow("card width has no upper bound")
            << "cardWidth" << QVariant(900.0) << QVariant(900.0);
        QTest::newRow("card width as text") << "cardWidth" << QVariant("300") << QVariant(300.0);
        QTest::newRow("card width unreadable")
            << "cardWidth" << QVariant("wide") << QVariant(260.0);
        QTest::newRow("integer number") << "cardWidth" << QVariant(400) << QVariant(400.0);
        QTest::newRow("spacing below") << "windowSpacing" << QVariant(2.0) << QVariant(4.0);
        QTest::newRow("spacing above") << "windowSpacing" << QVariant(41.0) << QVariant(40.0);
        QTest::newRow("spacing as text") << "windowSpacing" << QVariant("20") << QVariant(16.0);
        QTest::newRow("padding above") << "containerPadding" << QVariant(60.0) << QVariant(48.0);
        QTest::newRow("padding below") << "containerPadding" << QVariant(0.0) << QVariant(8.0);
        QTest::newRow("opacity below") << "tintOpacity" << QVariant(-1.0) << QVariant(0.0);
        QTest::newRow("opacity above") << "tintOpacity" << QVariant(1.5) << QVariant(1.0);
        QTest::newRow("opacity as flag") << "tintOpacity" << QVariant(true) << QVariant(0.4);
        QTest::newRow("opacity not finite")
            << "tintOpacity" << QVariant(std::numeric_limits<double>::infinity()) << QVariant(0.4);
        QTest::newRow("radius above") << "cornerRadius" << QVariant(55.0) << QVariant(40.0);
        QTest::newRow("radius kept") << "cornerRadius" << QVariant(10.0) << QVariant(10.0);
        QTest::newRow("preset") << "shortcutPreset" << QVariant("optionGrave")
                                << QVariant::fromValue(ShortcutPreset::optionGrave);
        QTest::newRow("preset unknown") << "shortcutPreset" << QVariant("commandTab")
                                        << QVariant::fromValue(ShortcutPreset::optionTab);
        QTest::newRow("layout grid")
            << "layoutMode" << QVariant("grid") << QVariant::fromValue(LayoutMode::grid);
        QTest::newRow("layout Grid")
            << "layoutMode" << QVariant("Grid") << QVariant::fromValue(LayoutMode::strip);
        QTest::newRow("surface nativeHUD") << "surfaceStyle" << QVariant("nativeHUD")
                                           << QVariant::fromValue(SurfaceStyle::nativeHUD);
        QTest::newRow("surface nativehud") << "surfaceStyle" << QVariant("nativehud")
                                           << QVariant::fromValue(SurfaceStyle::frosted);
        QTest::newRow("tint") << "glassTint" << QVariant("violet")
                              << QVariant::fromValue(GlassTint::violet);
        QTest::newRow("sort") << "sortOrder" << QVariant("windowOrder")
                              << QVariant::fromValue(WindowSortOrder::windowOrder);
        QTest::newRow("appearance") << "appearanceMode" << QVariant("tessel")
                                    << QVariant::fromValue(AppearanceMode::tessel);
        QTest::newRow("position") << "panelPosition" << QVariant("left")
                                  << QVariant::fromValue(PanelPosition::left);
        QTest::newRow("position as number")
            << "panelPosition" << QVariant(2.0) << QVariant::fromValue(PanelPosition::center);
        QTest::newRow("flag off") << "showProfileBadge" << QVariant(false) << QVariant(false);
        QTest::newRow("flag as text")
            << "showWindowPreviews" << QVariant("false") << QVariant(true);
        QTest::newRow("flag as number")
            << "enhanceCommandBacktick" << QVariant(0.0) << QVariant(true);
        QTest::newRow("screen") << "preferredScreen" << QVariant("DELL U2720Q")
                                << QVariant("DELL U2720Q");
        QTest::newRow("screen as number")
            << "preferredScreen" << QVariant(1.0) << QVariant("active");
        QTest::newRow("profiles") << "knownProfiles" << QVariant(texts({"Home", "Work"}))
                                  << QVariant(QStringList{"Home", "Work"});
        QTest::newRow("profiles not all texts")
            << "knownProfiles" << QVariant(QVariantList{"Home", 3.0}) << QVariant(QStringList());
    }
    void loadedValues()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, loaded);
        QVariantMap values = migrated;
        values.insert(key, stored);
        Fixture fixture(values);
        const PreferencesService& p = fixture.load();
        QCOMPARE(p.property(qPrintable(key)), loaded);
        // Clamps change what is read, never what is stored.
        QCOMPARE(fixture.sim.defaults.values().value(key), stored);
    }

    void profileColoursLoad()
    {
        QVariantMap values = migrated;
        values.insert("profileColors", QVariantMap{{"Work", "FF8000"}});
        Fixture fixture(values);
        QCOMPARE(fixture.load().profileColors(),
                 (PreferencesService::ProfileColors{{"Work", "FF8000"}}));

        values.insert("profileColors", QVariantMap{{"Work", "FF8000"}, {"Home", 3.0}});
        Fixture unreadable(values);
        QVERIFY(unreadable.load().profileColors().isEmpty());
    }

    void customCentreLoads()
    {
        QVariantMap values = migrated;
        values.insert("panelHasCustomCenter", true);
        values.insert("panelCustomCenterX", 640.0);
        Fixture fixture(values);
        QCOMPARE(fixture.load().customPanelCenter(), QPointF(640, 0));

        values.insert("panelHasCustomCenter", false);
        Fixture ignored(values);
        QVERIFY(!ignored.load().customPanelCenter());
    }

    void cornerRadiusMigration()
    {
        Fixture fixture({{"cornerRadius", 10.0}});
        QCOMPARE(fixture.load().cornerRadius(), 26.0);
        QVERIFY(!fixture.sim.defaults.values().contains("cornerRadius"));
        QCOMPARE(fixture.sim.defaults.values().value("containerRadiusMigrated"), QVariant(true));

        // Once done, a radius stored later survives every start.
        fixture.preferences->setCornerRadius(10);
        QCOMPARE(fixture.load().cornerRadius(), 10.0);
        QCOMPARE(fixture.load().cornerRadius(), 10.0);
    }

    void enabledApps_data()
    {
        QTest::addColumn<QVariant>("stored");  // invalid: none
        QTest::addColumn<QVariant>("offered"); // invalid: none
        QTest::addColumn<QList<Browser>>("installed");
        QTest::addColumn<BrowserSet>("expected");
        QTest::addColumn<bool>("written"); // the loaded set replaces the stored one

        const QVariant all(allRawValues());
        const QVariant safariFinderAndJunk(texts({"safari", "finder", "netscape"}));
        const QList<Browser> installed{Browser::safari, Browser::chrome, Browser::obsidian};
        QTest::newRow("nothing stored: the installed apps")
            << QVariant() << all << installed
            << BrowserSet{Browser::safari, Browser::chrome, Browser::obsidian} << false;
        QTest::newRow("stored as text: the installed apps")
            << QVariant("safari") << all << installed
            << BrowserSet{Browser::safari, Browser::chrome, Browser::obsidian} << false;
        QTest::newRow("list not all texts: the installed apps")
            << QVariant(QVariantList{"safari", 1.0}) << all << installed
            << BrowserSet{Browser::safari, Browser::chrome, Browser::obsidian} << false;
        QTest::newRow("choice stands once every app was offered")
            << safariFinderAndJunk << all << installed
            << BrowserSet{Browser::safari, Browser::finder} << false;
        QTest::newRow("nothing offered yet: installed apps join")
            << safariFinderAndJunk << QVariant() << installed
            << BrowserSet{Browser::safari, Browser::finder, Browser::chrome, Browser::obsidian}
            << true;
        QTest::newRow("empty choice, nothing offered yet: installed apps join")
            << QVariant(QVariantList()) << QVariant()
            << QList<Browser>{Browser::safari, Browser::finder}
            << BrowserSet{Browser::safari, Browser::finder} << true;
        QTest::newRow("offered unreadable counts as empty")
            << safariFinderAndJunk << QVariant(42.0) << installed
            << BrowserSet{Browser::safari, Browser::finder, Browser::chrome, Browser::obsidian}
            << true;
        QTest::newRow("installed apps already chosen: nothing joins")
            << safariFinderAndJunk << QVariant() << QList<Browser>{Browser::safari, Browser::finder}
            << BrowserSet{Browser::safari, Browser::finder} << false;
        QVariantList withoutObsidian = allRawValues();
        withoutObsidian.removeLast();
        QTest::newRow("an app new to the roster joins once")
            << safariFinderAndJunk << QVariant(withoutObsidian) << installed
            << BrowserSet{Browser::safari, Browser::finder, Browser::obsidian} << true;
        QTest::newRow("empty choice stays empty")
            << QVariant(QVariantList()) << all << installed << BrowserSet() << false;
    }
    void enabledApps()
    {
        QFETCH(QVariant, stored);
        QFETCH(QVariant, offered);
        QFETCH(QList<Browser>, installed);
        QFETCH(BrowserSet, expected);
        QFETCH(bool, written);
        QVariantMap values = migrated;
        if (stored.isValid())
            values.insert("enabledBrowsers", stored);
        if (offered.isValid())
            values.insert("offeredApps", offered);
        Fixture fixture(values, installed);
        QCOMPARE(fixture.load().enabledBrowsers(), expected);
        QCOMPARE(fixture.sim.defaults.values().value("offeredApps"), QVariant(allRawValues()));
        // Only apps joining as newly offered are stored, in the setter's form.
        QStringList sorted;
        for (Browser browser : expected)
            sorted << browser.rawValue();
        sorted.sort();
        QCOMPARE(fixture.sim.defaults.values().value("enabledBrowsers"),
                 written ? QVariant(texts(sorted)) : stored);

        // The next start, with every app offered by now, keeps the same apps.
        QCOMPARE(fixture.load().enabledBrowsers(), expected);
    }

    void enabledAppsOrdered()
    {
        Fixture fixture;
        PreferencesService& p = fixture.load();
        p.setEnabledBrowsers({Browser::obsidian, Browser::chrome, Browser::safari});
        QCOMPARE(p.enabledBrowsersOrdered(),
                 (QList<Browser>{Browser::safari, Browser::chrome, Browser::obsidian}));
    }

    void writeBack()
    {
        Fixture fixture;
        PreferencesService& p = fixture.load();
        QSignalSpy anyChange(&p, &PreferencesService::settingChanged);
        p.setCardWidth(150); // not clamped when stored
        p.setWindowSpacing(50);
        p.setTintOpacity(0.75);
        p.setShowProfileBadge(false);
        p.setSurfaceStyle(SurfaceStyle::nativeHUD);
        p.setShortcutPreset(ShortcutPreset::controlOptionTab);
        p.setPreferredScreen("primary");
        p.setEnabledBrowsers({Browser::chrome, Browser::arc});
        p.setProfileColors({{"Work", "3A7F5C"}});
        p.setKnownProfiles({"Home", "Work"});
        QCOMPARE(anyChange.count(), 10); // each write, whatever its kind, tells the views

        const QVariantMap& values = fixture.sim.defaults.values();
        const auto stored = [&](const char* key, const QVariant& expected) {
            const QVariant actual = values.value(key);
            return actual.typeId() == expected.typeId() && actual == expected;
        };
        QVERIFY(stored("cardWidth", 150.0));
        QVERIFY(stored("windowSpacing", 50.0));
        QVERIFY(stored("tintOpacity", 0.75));
        QVERIFY(stored("showProfileBadge", false));
        QVERIFY(stored("surfaceStyle", QStringLiteral("nativeHUD")));
        QVERIFY(stored("shortcutPreset", QStringLiteral("controlOptionTab")));
        QVERIFY(stored("preferredScreen", QStringLiteral("primary")));
        QVERIFY(stored("enabledBrowsers", texts({"arc", "chrome"})));
        QVERIFY(stored("profileColors", QVariantMap{{"Work", QStringLiteral("3A7F5C")}}));
        QVERIFY(stored("knownProfiles", texts({"Home", "Work"})));

        // What was written loads back as it was set (the loading clamps aside).
        Fixture again(values);
        const PreferencesService& reloaded = again.load();
        QCOMPARE(reloaded.windowSpacing(), 40.0);
        QCOMPARE(reloaded.cardWidth(), 260.0);
        QCOMPARE(reloaded.tintOpacity(), 0.75);
        QVERIFY(!reloaded.showProfileBadge());
        QCOMPARE(reloaded.surfaceStyle(), SurfaceStyle::nativeHUD);
        QCOMPARE(reloaded.shortcutPreset(), ShortcutPreset::controlOptionTab);
        QCOMPARE(reloaded.preferredScreen(), QStringLiteral("primary"));
        QCOMPARE(reloaded.enabledBrowsers(), (BrowserSet{Browser::chrome, Browser::arc}));
        QCOMPARE(reloaded.profileColors(), p.profileColors());
        QCOMPARE(reloaded.knownProfiles(), p.knownProfiles());

        // Sorted by text, whatever the set's own order.
        p.setEnabledBrowsers(BrowserSet(Browser::allCases().begin(), Browser::allCases().end()));
        QStringList sorted;
        for (const QVariant& name : allRawValues())
            sorted << name.toString();
        sorted.sort();
        QVERIFY(stored("enabledBrowsers", texts(sorted)));
    }

    void everyAssignmentIsAnnouncedAndWritten()
    {
        Fixture fixture;
        PreferencesService& p = fixture.load();
        QSignalSpy spy(&p, &PreferencesService::glassTintChanged);
        fixture.sim.defaults.remove("glassTint");
        p.setGlassTint(p.glassTint()); // same value
        QCOMPARE(spy.count(), 1);
        QCOMPARE(fixture.sim.defaults.values().value("glassTint"), QVariant("tesselGreen"));

        // The properties work through the meta-object too (the settings views).
        QSignalSpy widthSpy(&p, &PreferencesService::cardWidthChanged);
        QVERIFY(p.setProperty("cardWidth", 320.0));
        QCOMPARE(widthSpy.count(), 1);
        QCOMPARE(fixture.sim.defaults.values().value("cardWidth"), QVariant(320.0));
    }

    void positionForgetsTheDraggedCentre()
    {
        Fixture fixture;
        PreferencesService& p = fixture.load();
        p.setCustomPanelCenter(QPointF(640, 400));
        QVariantMap values = fixture.sim.defaults.values();
        QCOMPARE(values.value("panelHasCustomCenter"), QVariant(true));
        QCOMPARE(values.value("panelCustomCenterX"), QVariant(640.0));
        QCOMPARE(values.value("panelCustomCenterY"), QVariant(400.0));

        QSignalSpy spy(&p, &PreferencesService::customPanelCenterChanged);
        p.setPanelPosition(p.panelPosition()); // even the current one
        QVERIFY(!p.customPanelCenter());
        QCOMPARE(spy.count(), 1);
        values = fixture.sim.defaults.values();
        QCOMPARE(values.value("panelPosition"), QVariant("center"));
        QCOMPARE(values.value("panelHasCustomCenter"), QVariant(false));
        // The old coordinates stay, ignored while the flag is off.
        QCOMPARE(values.value("panelCustomCenterX"), QVariant(640.0));
        QVERIFY(!fixture.load().customPanelCenter());
    }

    void noteProfiles()
    {
        Fixture fixture({{"knownProfiles", texts({"Home"})}});
        PreferencesService& p = fixture.load();
        QSignalSpy spy(&p, &PreferencesService::knownProfilesChanged);

        p.noteProfiles({"Work", "Home", "Work", ""});
        QCOMPARE(p.knownProfiles(), QStringList({"Home", "Work"}));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(fixture.sim.defaults.values().value("knownProfiles"),
                 QVariant(texts({"Home", "Work"})));

        // Nothing new: no assignment, no announcement, no write.
        fixture.sim.defaults.remove("knownProfiles");
        p.noteProfiles({"Work", "Home", "Work", ""});
        p.noteProfiles({});
        QCOMPARE(spy.count(), 1);
        QVERIFY(!fixture.sim.defaults.values().contains("knownProfiles"));

        p.noteProfiles({"Alpha"});
        QCOMPARE(p.knownProfiles(), QStringList({"Alpha", "Home", "Work"}));
    }

    // Edited by hand while the program runs: the program's next write, of
    // any key, keeps the edit, and the store takes it in as it loads at start.
    void handEditOfTheFileIsKeptAndTakenIn()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("defaults.json");
        QStringList reports;
        JsonUserDefaults defaults(path, [&reports](const QString& line) { reports << line; });
        Fixture fixture;
        PreferencesService p(defaults, fixture.sim.workspace, fixture.sim.loginItems,
                             fixture.sim.systemLog);
        p.setGlassTint(GlassTint::violet);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QJsonObject edited = QJsonDocument::fromJson(file.readAll()).object();
        edited.insert("cardWidth", 520);
        edited.insert("layoutMode", "grid");
        edited.insert("windowSpacing", 2);
        edited.insert("knownProfiles", QJsonArray{"Work"});
        QVERIFY(file.resize(0));
        file.write(QJsonDocument(edited).toJson());
        file.close();

        QSignalSpy announced(&p, &PreferencesService::cardWidthChanged);
        defaults.set("launchAttempts", 0); // not a setting of the store
        QTRY_COMPARE(p.cardWidth(), 520.0);
        QCOMPARE(p.layoutMode(), LayoutMode::grid);
        QCOMPARE(p.windowSpacing(), 4.0);
        QCOMPARE(announced.count(), 1);
        p.noteProfiles({"Home"});
        QCOMPARE(p.knownProfiles(), QStringList({"Home", "Work"}));

        // Written at the end of the interval that the last write started.
        QTRY_COMPARE(JsonUserDefaults(path).stringList("knownProfiles"),
                     QStringList({"Home", "Work"}));
        const JsonUserDefaults reread(path);
        QCOMPARE(reread.number("cardWidth"), std::optional<double>(520));
        QCOMPARE(reread.string("layoutMode"), std::optional<QString>("grid"));
        QCOMPARE(reread.number("windowSpacing"), std::optional<double>(2)); // not written back
        QCOMPARE(reread.stringList("knownProfiles"), QStringList({"Home", "Work"}));
        QCOMPARE(reread.string("glassTint"), std::optional<QString>("violet"));
        QCOMPARE(reread.number("launchAttempts"), std::optional<double>(0));
        QVERIFY(reports.isEmpty());
    }

    void launchAtLogin()
    {
        Fixture fixture;
        PreferencesService& p = fixture.load();
        p.setLaunchAtLogin(true);
        QVERIFY(p.launchAtLogin());
        QCOMPARE(fixture.sim.loginItems.status(), LoginItemStatus::enabled);
        QVERIFY(fixture.load().launchAtLogin()); // read from the registration

        PreferencesService& fresh = *fixture.preferences;
        fixture.sim.host.modify(
            [](SimModel& model) { model.loginItemError = "Operation not permitted"; });
        const QVariantMap before = fixture.sim.defaults.values();
        QSignalSpy spy(&fresh, &PreferencesService::launchAtLoginChanged);
        fresh.setLaunchAtLogin(false);
        QVERIFY(fresh.launchAtLogin());
        QCOMPARE(fixture.sim.loginItems.status(), LoginItemStatus::enabled);
        QCOMPARE(fixture.sim.systemLog.lines(),
                 QStringList{"Launch at login change failed: Operation not permitted"});
        // The revert is announced, so a check box follows it, and writes nothing.
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0), QVariant(true));
        QCOMPARE(fixture.sim.defaults.values(), before);

        // Assigning the current value asks nothing of the login items.
        fresh.setLaunchAtLogin(true);
        QCOMPARE(fixture.sim.systemLog.lines().size(), 1);

        // The revert ends the quiet spell: later changes are written and registered again.
        fresh.setCardWidth(300);
        QCOMPARE(fixture.sim.defaults.values().value("cardWidth"), QVariant(300.0));
        fixture.sim.host.modify([](SimModel& model) { model.loginItemError.reset(); });
        fresh.setLaunchAtLogin(false);
        QCOMPARE(fixture.sim.loginItems.status(), LoginItemStatus::notRegistered);
    }
};

QTEST_GUILESS_MAIN(TestPreferencesService)
#include "tst_PreferencesService.moc"

#include "MenuBar/StatusMenu.h"
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Services/PermissionsService.h"
#include "Services/PreferencesService.h"
#include "Services/SafariMetadataService.h"
#include "Services/SafariWindowService.h"
#include "Services/ScriptGuard.h"
#include "Services/SnapshotService.h"
#include "Services/WindowFocusService.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

namespace {

struct Shown {
    QString title;
    QString text;
};

// A status menu over a simulated desktop; what it prints and shows is kept.
struct Harness {
    explicit Harness(SimModel model, const QList<Browser>& enabled)
        : sim(std::move(model)), platform(sim.platform()),
          guard(sim.appleScript, sim.systemLog, sim.clock), windows(platform),
          metadata(platform, guard, MetadataTimeouts{0.5, 0.5}),
          snapshots(sim.screenCapture, sim.windowServer, sim.clock, cache.path()),
          focus(platform, guard, 0.5), permissions(sim.accessibility, sim.windowServer),
          preferences(sim.defaults, sim.workspace, sim.loginItems, sim.systemLog),
          menu(StatusMenu::Services{windows, metadata, snapshots, focus, permissions, preferences,
                                    sim.workspace, sim.urlOpener},
               commands())
    {
        preferences.setEnabledBrowsers(
            PreferencesService::BrowserSet(enabled.begin(), enabled.end()));
    }

    StatusMenu::Commands commands()
    {
        StatusMenu::Commands result;
        result.showInfo = [this](const QString& title, const QString& text) {
            shown << Shown{title, text};
        };
        result.printLine = [this](const QString& line) { printed << line; };
        result.showSettings = [this] { commanded << QStringLiteral("settings"); };
        result.quit = [this] { commanded << QStringLiteral("quit"); };
        return result;
    }

    QStringList focusItems() const
    {
        QStringList texts;
        for (const QAction* action : menu.focusSubmenu()->actions())
            texts << (action->isSeparator()
                          ? QStringLiteral("---")
                          : action->text() + (action->isEnabled() ? "" : " (off)"));
        return texts;
    }

    QTemporaryDir cache;
    SimPlatform sim;
    Platform platform;
    ScriptGuard guard;
    SafariWindowService windows;
    SafariMetadataService metadata;
    SnapshotService snapshots;
    WindowFocusService focus;
    PermissionsService permissions;
    PreferencesService preferences;
    StatusMenu menu;
    QStringList printed;
    QStringList commanded;
    QList<Shown> shown;
};

} // namespace

class TestStatusMenu : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void structure()
    {
        Harness h(SimModel{}, {});
        QStringList lines;
        const std::function<void(const QMenu*, const QString&)> walk = [&](const QMenu* menu,
                                                                           const QString& indent) {
            for (const QAction* action : menu->actions()) {
                if (action->isSeparator()) {
                    lines << indent + QStringLiteral("---");
                    continue;
                }
                QString line = indent + action->text();
                if (!action->shortcut().isEmpty())
                    line += QStringLiteral(" [%1]").arg(action->shortcut().toString());
                if (action->menu())
                    line += QStringLiteral(" <%1>").arg(action->menu()->title());
                lines << line;
                if (action->menu() && action->menu() != h.menu.focusSubmenu())
                    walk(action->menu(), indent + QStringLiteral("  "));
            }
        };
        walk(h.menu.menu(), QString());
        QCOMPARE(lines, (QStringList{
                            QStringLiteral("Show Switcher"),
                            QStringLiteral("---"),
                            QStringLiteral("Settings… [Ctrl+,]"),
                            QStringLiteral("Permissions Setup…"),
                            QStringLiteral("---"),
                            QStringLiteral("Debug <Debug>"),
                            QStringLiteral("  Log Browser Windows"),
                            QStringLiteral("  Save Snapshots to Folder"),
                            QStringLiteral("  Focus Window <Focus Window>"),
                            QStringLiteral("---"),
                            QStringLiteral("Quit Tessel Nav [Ctrl+Q]"),
                        }));
    }

    // The shortcuts the menu shows work while it is open, from a submenu too,
    // and close every menu before the command runs.
    void keyEquivalentsWhileOpen_data()
    {
        QTest::addColumn<bool>("inDebug");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("expected");
        const int ctrl = Qt::ControlModifier;
        QTest::newRow("quit") << false << int(Qt::Key_Q) << ctrl << "quit";
        QTest::newRow("settings") << false << int(Qt::Key_Comma) << ctrl << "settings";
        QTest::newRow("quit from Debug") << true << int(Qt::Key_Q) << ctrl << "quit";
        QTest::newRow("plain q") << false << int(Qt::Key_Q) << 0 << "";
        QTest::newRow("other shortcut") << false << int(Qt::Key_W) << ctrl << "";
    }

    void keyEquivalentsWhileOpen()
    {
        QFETCH(bool, inDebug);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, expected);
        Harness h(SimModel{}, {});
        QMenu* menu = h.menu.menu();
        menu->popup(QPoint(100, 100));
        QTRY_VERIFY(menu->isVisible());
        QMenu* debug = menu->actions().at(5)->menu();
        if (inDebug) {
            menu->setActiveAction(menu->actions().at(5));
            debug->popup(QPoint(300, 150));
            QTRY_VERIFY(debug->isVisible());
        }
        QTest::keyClick(inDebug ? debug : menu, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(h.commanded.join(QLatin1Char(',')), expected);
        QCOMPARE(menu->isVisible(), expected.isEmpty());
        if (expected.isEmpty())
            menu->close();
        QTRY_VERIFY(!debug->isVisible());
    }

    void emptyFocusSubmenu_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<QString>("expected");
        QTest::newRow("nothing running") << false << true << "No enabled browser is running";
        QTest::newRow("no windows") << true << true << "No browser windows found";
        QTest::newRow("not trusted") << true << false << "Accessibility permission needed";
    }

    void emptyFocusSubmenu()
    {
        QFETCH(bool, running);
        QFETCH(bool, trusted);
        QFETCH(QString, expected);
        SimScenarioBuilder b;
        b.install(Browser::firefox).install(Browser::safari).trusted(trusted);
        if (running)
            b.launch(Browser::safari, 501);
        Harness h(b.build(), {Browser::firefox, Browser::safari});
        h.menu.menuWillOpen();
        QVERIFY(h.menu.menuWindows().isEmpty());
        QCOMPARE(h.focusItems(), QStringList{expected + " (off)"});
    }

    // The menu lists at once from Accessibility, then each scriptable app's
    // merge lands as it arrives, in the order of the enabled apps.
    void focusSubmenuFillsAndShowsScriptingFailures()
    {
        SimScenarioBuilder b;
        b.install(Browser::safari).launch(Browser::safari, 501);
        b.window(QStringLiteral("Inbox")).windowNumber(88).script(QStringLiteral("7"));
        b.window(QString()).windowNumber(89).minimized();
        b.model().instances.last().scripting.automationDenied = true;
        b.install(Browser::chrome).launch(Browser::chrome, 612);
        b.window(QStringLiteral("Pulls")).windowNumber(120);
        b.window(QStringLiteral("Docs")).onlyScripting().script(QStringLiteral("1240"));
        b.model().instances.last().scripting.delaySeconds = 0.05;
        b.install(Browser::arc).launch(Browser::arc, 700);
        b.model().instances.last().scripting.error =
            QVariantMap{{QStringLiteral("NSAppleScriptErrorMessage"), QStringLiteral("Arc broke")},
                        {QStringLiteral("NSAppleScriptErrorNumber"), -2700}};
        b.install(Browser::firefox).launch(Browser::firefox, 800);
        b.window(QStringLiteral("Fox")).windowNumber(130);
        Harness h(b.build(), {Browser::safari, Browser::chrome, Browser::arc, Browser::firefox});

        h.menu.menuWillOpen();
        QCOMPARE(h.focusItems(), (QStringList{
                                     QStringLiteral("[Safari] Inbox"),
                                     QStringLiteral("[Safari] Untitled Window (minimized)"),
                                     QStringLiteral("[Chrome] Pulls"),
                                     QStringLiteral("[Firefox] Fox"),
                                 }));
        QTRY_COMPARE(h.menu.menuWindows().size(), 5);
        QTRY_COMPARE(h.metadata.lastErrors().size(), 2);
        h.menu.menuNeedsUpdate();
        QCOMPARE(h.focusItems(),
                 (QStringList{
                     QStringLiteral("[Safari] Inbox"),
                     QStringLiteral("[Safari] Untitled Window (minimized)"),
                     QStringLiteral("[Chrome] Pulls"),
                     QStringLiteral("[Chrome] Docs"),
                     QStringLiteral("[Firefox] Fox"),
                     QStringLiteral("---"),
                     QStringLiteral("\u26A0\uFE0F Arc: Arc broke (-2700) (off)"),
                     QStringLiteral("\u26A0\uFE0F Safari: Not authorized to send Apple events to "
                                    "Safari. (-1743) (off)"),
                 }));

        // Each item's tag is its index; an index beyond the list does nothing.
        h.menu.focusWindow(5);
        h.menu.focusWindow(-1);
        QVERIFY(h.printed.isEmpty());
        h.menu.focusWindow(2);
        QCOMPARE(h.printed, QStringList{QStringLiteral("Focusing: Pulls")});
        QTRY_COMPARE(h.sim.host.snapshot().frontmostPid, std::optional<pid_t>(612));
    }

    // Titles and messages are shown as they are: an ampersand in them is not
    // taken for a keyboard mnemonic (iconText() is the text as a menu shows it).
    void ampersandsAreShownAsTheyAre()
    {
        SimScenarioBuilder b;
        b.install(Browser::safari).launch(Browser::safari, 501);
        b.window(QStringLiteral("Q&A")).windowNumber(88);
        b.window(QStringLiteral("R && D")).windowNumber(89);
        b.model().instances.last().scripting.error =
            QVariantMap{{QStringLiteral("NSAppleScriptErrorMessage"), QStringLiteral("Cut & run")},
                        {QStringLiteral("NSAppleScriptErrorNumber"), -1}};
        Harness h(b.build(), {Browser::safari});
        h.menu.menuWillOpen();
        QTRY_COMPARE(h.metadata.lastErrors().size(), 1);
        h.menu.menuNeedsUpdate();
        QStringList shown;
        for (const QAction* action : h.menu.focusSubmenu()->actions())
            shown << action->iconText();
        QCOMPARE(shown, (QStringList{
                            QStringLiteral("[Safari] Q&A"),
                            QStringLiteral("[Safari] R && D"),
                            QString(),
                            QStringLiteral("\u26A0\uFE0F Safari: Cut & run (-1)"),
                        }));
    }

    // Hundreds of windows: the submenu stays on the screen and scrolls to
    // its last item rather than running off the screen in columns.
    void longFocusSubmenuStaysOnScreen()
    {
        SimScenarioBuilder b;
        b.install(Browser::safari).launch(Browser::safari, 501);
        for (int i = 0; i < 500; ++i)
            b.window(QStringLiteral("Window %1").arg(i)).windowNumber(1000 + i);
        Harness h(b.build(), {Browser::safari});
        h.menu.menuWillOpen();
        QMenu* focus = h.menu.focusSubmenu();
        QCOMPARE(focus->actions().size(), 500);
        focus->popup(QPoint(10, 10));
        QTRY_VERIFY(focus->isVisible());
        const QRect screen = focus->screen()->availableGeometry();
        QVERIFY(screen.contains(focus->geometry()));
        QAction* last = focus->actions().last();
        focus->setActiveAction(last);
        QVERIFY2(focus->rect().contains(focus->actionGeometry(last)),
                 qPrintable(QStringLiteral("last item at %1,%2 in a menu of %3x%4")
                                .arg(focus->actionGeometry(last).x())
                                .arg(focus->actionGeometry(last).y())
                                .arg(focus->width())
                                .arg(focus->height())));
        focus->close();
    }

    void report()
    {
        SimScenarioBuilder b;
        b.install(Browser::safari).launch(Browser::safari, 501);
        b.window(QStringLiteral("Inbox"), QRectF(40, 60, 1400, 860))
            .windowNumber(88)
            .script(QStringLiteral("7"), QStringLiteral("https://mail.example.com/inbox"), 6);
        b.window(QString(), QRectF(80, 90, 800, 600)).windowNumber(90).minimized();
        b.window(QStringLiteral("Plan"), QRectF(0, 0, 900, 700))
            .onlyScripting()
            .script(QStringLiteral("9"), QStringLiteral("https://docs.example.com/plan"), 2);
        b.install(Browser::chrome).launch(Browser::chrome, 612);
        b.window(QStringLiteral("Pulls"), QRectF(60, 70, 1300, 820)).windowNumber(120);
        b.model().instances.last().scripting.automationDenied = true;
        b.install(Browser::firefox).install(Browser::pages);
        Harness h(b.build(), {Browser::safari, Browser::chrome, Browser::firefox, Browser::pages});

        h.menu.logSafariWindows();
        // A full stop ends each error, whether its text brings one or not.
        const QString expected = QStringLiteral(
            "Enabled: Safari: 3, Chrome: 1, Firefox: 0, Pages: 0. Accessibility saw 3; total "
            "after AppleScript merge: 4.\n"
            "\u26A0\uFE0F Chrome scripting failed: Not authorized to send Apple events to Chrome. "
            "(-1743). Check System Settings → Privacy & Security → Automation → Tessel Nav.\n"
            "\u26A0\uFE0F Pages scripting failed: Pages is not running. Check System Settings → "
            "Privacy & Security → Automation → Tessel Nav.\n"
            "[1] [Safari] Inbox\n"
            "    windowID: 88  minimized: false  focus via: AX\n"
            "    url: https://mail.example.com/inbox  domain: mail.example.com  tabs: 6\n"
            "[2] [Safari] Untitled Window\n"
            "    windowID: 90  minimized: true  focus via: AX\n"
            "    url: \u2013  domain: \u2013  tabs: \u2013\n"
            "[3] [Safari] Plan\n"
            "    windowID: unknown  minimized: false  focus via: AppleScript\n"
            "    url: https://docs.example.com/plan  domain: docs.example.com  tabs: 2\n"
            "[4] [Chrome] Pulls\n"
            "    windowID: 120  minimized: false  focus via: AX\n"
            "    url: \u2013  domain: \u2013  tabs: \u2013");
        QCOMPARE(h.shown.size(), 1);
        QCOMPARE(h.shown[0].title, QStringLiteral("Browser Windows (4)"));
        QCOMPARE(h.shown[0].text, expected);
        QCOMPARE(h.printed, QStringList{QStringLiteral("--- Browser Windows ---\n") + expected});
    }

    void reportWithoutWindows_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<QString>("last");
        QTest::newRow("none running") << false << "No enabled browser is running.";
        QTest::newRow("running") << true
                                 << "Browsers are running but no standard windows were found.";
    }

    void reportWithoutWindows()
    {
        QFETCH(bool, running);
        QFETCH(QString, last);
        SimScenarioBuilder b;
        b.install(Browser::firefox);
        if (running)
            b.launch(Browser::firefox, 800);
        Harness h(b.build(), {Browser::firefox});
        h.menu.logSafariWindows();
        QCOMPARE(h.shown.size(), 1);
        QCOMPARE(h.shown[0].title, QStringLiteral("Browser Windows (0)"));
        QCOMPARE(h.shown[0].text.split('\n').last(), last);
    }

    void toolsNeedAccessibility()
    {
        Harness h(SimScenarioBuilder().trusted(false).build(), {});
        h.menu.logSafariWindows();
        h.menu.saveSnapshots();
        QCOMPARE(h.sim.control.trustPromptCount(), 2);
        QCOMPARE(h.shown.size(), 2);
        for (const Shown& shown : h.shown) {
            QCOMPARE(shown.title, QStringLiteral("Accessibility needed"));
            QCOMPARE(shown.text, StatusMenu::accessibilityNeededText());
        }
        QVERIFY(h.printed.isEmpty());
    }

    void exportSnapshots_data()
    {
        QTest::addColumn<bool>("recording");
        QTest::addColumn<bool>("capturesFail");
        QTest::newRow("written") << true << false;
        QTest::newRow("nothing captured") << true << true;
        QTest::newRow("no screen recording") << false << false;
    }

    void exportSnapshots()
    {
        QFETCH(bool, recording);
        QFETCH(bool, capturesFail);
        // The temporary folder is everyone's; the runtime folder is the user's.
        QTemporaryDir temp;
        qputenv("TMPDIR", temp.path().toUtf8());
        const QString runtime = temp.filePath(QStringLiteral("runtime"));
        QVERIFY(QDir().mkdir(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
        SimScenarioBuilder b;
        b.install(Browser::safari).launch(Browser::safari, 501).screenRecording(recording);
        b.screen(QRectF(0, 0, 1512, 982), QRectF(0, 0, 1512, 957), QStringLiteral("Built-in"));
        for (const QString& title : {QStringLiteral("Inbox"), QStringLiteral("Plan")}) {
            b.window(title, QRectF(40, 60, 600, 400)).windowNumber(88 + quint32(title.size()));
            b.lastWindow().captureFails = capturesFail;
            b.lastWindow().legacyImageFails = capturesFail;
        }
        Harness h(b.build(), {Browser::safari});
        const QString folder = QDir(runtime).filePath(QStringLiteral("TesselNav-Snapshots"));
        QCOMPARE(h.menu.exportFolder(), std::optional(folder));

        h.menu.saveSnapshots();
        if (!recording) {
            QCOMPARE(h.sim.control.captureAccessRequestCount(), 1);
            QCOMPARE(h.shown.size(), 1);
            QCOMPARE(h.shown[0].title, QStringLiteral("Screen Recording needed"));
            QVERIFY(!QFileInfo::exists(folder));
            return;
        }
        if (!capturesFail) {
            QTRY_COMPARE(h.printed,
                         QStringList{QStringLiteral("Wrote 2/2 snapshots to ") + folder});
            QCOMPARE(h.sim.urlOpener.opened(), QList<QUrl>{QUrl::fromLocalFile(folder)});
            QVERIFY(h.shown.isEmpty());
            QCOMPARE(QDir(folder).entryList({QStringLiteral("*.png")}).size(), 2);
            // A second export reuses the folder.
            h.menu.saveSnapshots();
            QTRY_COMPARE(h.printed.size(), 2);
            QCOMPARE(QDir(folder).entryList({QStringLiteral("*.png")}).size(), 2);
            return;
        }
        QTRY_COMPARE(h.printed, QStringList{QStringLiteral("Wrote 0/2 snapshots to ") + folder});
        QVERIFY(h.sim.urlOpener.opened().isEmpty());
        QCOMPARE(h.shown.size(), 1);
        QCOMPARE(h.shown[0].title, QStringLiteral("No snapshots captured"));
        QCOMPARE(
            h.shown[0].text,
            QStringLiteral("Found 2 browser window(s) but captured none. Check Screen Recording "
                           "permission (a rebuild resets it) or whether all windows are "
                           "minimized."));
    }

    // Without a runtime folder, the exports land in a private folder made in
    // the temporary folder, which is everyone's. Once that folder is cleaned
    // away, its name is free for anyone to take: the next export makes a new
    // one instead of making that name again.
    void standInFolderIsMadeAnewWhenGone()
    {
        QTemporaryDir temp;
        qputenv("TMPDIR", temp.path().toUtf8());
        // Neither the runtime folder named nor the one Qt would fall back to
        // can be used.
        const QString blocker = temp.filePath(QStringLiteral("blocker"));
        QVERIFY(QFile(blocker).open(QIODevice::WriteOnly));
        qputenv("XDG_RUNTIME_DIR", blocker.toUtf8());
        const QString user = QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name);
        QVERIFY(QFile(temp.filePath(QStringLiteral("runtime-") + user)).open(QIODevice::WriteOnly));
        QVERIFY(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation).isEmpty());

        SimScenarioBuilder b;
        b.install(Browser::safari).launch(Browser::safari, 501);
        b.window(QStringLiteral("Inbox"), QRectF(40, 60, 600, 400)).windowNumber(88);
        Harness h(b.build(), {Browser::safari});
        h.menu.saveSnapshots();
        QTRY_COMPARE(h.printed.size(), 1);
        const QString first = h.printed.first().section(QStringLiteral(" to "), 1);
        QCOMPARE(QDir(first).entryList({QStringLiteral("*.png")}).size(), 1);
        const QString firstOwn = QFileInfo(first).absolutePath();
        QCOMPARE(QFileInfo(firstOwn).absolutePath(), temp.path());
        QVERIFY(QDir(firstOwn).removeRecursively());

        h.menu.saveSnapshots();
        QTRY_COMPARE(h.printed.size(), 2);
        QVERIFY(!QFileInfo::exists(firstOwn));
        const QString second = h.printed.last().section(QStringLiteral(" to "), 1);
        const QFileInfo secondOwn(QFileInfo(second).absolutePath());
        QCOMPARE(secondOwn.absolutePath(), temp.path());
        const auto othersRights = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                  QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QVERIFY(!(secondOwn.permissions() & othersRights));
        QCOMPARE(QDir(second).entryList({QStringLiteral("*.png")}).size(), 1);
    }
};

QTEST_MAIN(TestStatusMenu)
#include "tst_StatusMenu.moc"

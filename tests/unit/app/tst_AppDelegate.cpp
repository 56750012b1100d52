#include "MenuBar/MenuPanelController.h"
#include "MenuBar/StatusMenu.h"
#include "Onboarding/OnboardingWindowController.h"
#include "Overlay/OverlayController.h"
#include "Platform/EventMonitorRegistry.h"
#include "Platform/KeyCode.h"
#include "Platform/Sim/Desktop/SimStatusBar.h"
#include "Platform/Sim/SimAlerts.h"
#include "Platform/Sim/SimKeyMapping.h"
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Services/CrashReporter.h"
#include "Services/HotkeyService.h"
#include "Services/PreferencesService.h"
#include "Services/RecentWindowTracker.h"
#include "Services/ScriptGuard.h"
#include "Services/SnapshotService.h"
#include "app/AppDelegate.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QNetworkAccessManager>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QString safeModeLine =
    QStringLiteral("Safe mode: %1 rapid launch attempts — scripting benched for this session.");

// Safari with three windows and Chrome installed but not running; Safari is
// frontmost.
SimModel desktop(bool trusted = true, bool recording = true)
{
    SimScenarioBuilder b;
    b.screen(QRectF(0, 0, 1512, 982), QRectF(0, 0, 1512, 957), QStringLiteral("Built-in"));
    b.install(Browser::safari).launch(Browser::safari, 501);
    b.window(QStringLiteral("Inbox"), QRectF(40, 60, 600, 400)).windowNumber(88).color(Qt::red);
    b.window(QStringLiteral("Plan"), QRectF(60, 80, 600, 400)).windowNumber(89).color(Qt::blue);
    b.window(QStringLiteral("Recipes"), QRectF(80, 90, 600, 400)).windowNumber(90).color(Qt::green);
    b.install(Browser::chrome);
    b.frontmost(501).trusted(trusted).screenRecording(recording);
    return b.build();
}

// The program's crash reporter over a crash-log folder of the test's own.
CrashReporter::Config crashConfig(const QTemporaryDir& logs)
{
    CrashReporter::Config config;
    config.logFolder = logs.path();
    config.endpoint = QUrl(QStringLiteral("http://127.0.0.1:9/api/crash"));
    config.system = QStringLiteral("TestOS Version 1");
    config.version = QStringLiteral("1.0");
    config.promptDelay = 1ms;
    return config;
}

// The visible top-level window with this title, if any.
QWidget* shownWindow(const QString& title)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowTitle() == title && widget->isVisible())
            return widget;
    }
    return nullptr;
}

const QString setupTitle = QStringLiteral("Tessel Nav Setup");
const QString settingsTitle = QStringLiteral("Tessel Nav Settings");

struct Harness {
    explicit Harness(SimModel model = desktop(), AppTimings timings = {1h, 10ms, 5s, 20ms})
        : sim(std::move(model)),
          crashReporter(sim.defaults, alerts, network, sim.clock, crashConfig(logs))
    {
        delegate = std::make_unique<AppDelegate>(
            AppEnvironment{sim.platform(), alerts, statusBar, monitors, crashReporter,
                           [this](const QString& line) { printed << line; },
                           [this] { ++terminated; }},
            timings);
    }
    ~Harness()
    {
        // Windows the delegate showed are its own and go with it.
        delegate.reset();
    }

    QAction* statusMenuAction(const QString& text) const
    {
        for (QAction* action : delegate->statusMenu()->menu()->actions()) {
            if (action->text() == text)
                return action;
        }
        return nullptr;
    }

    QWidget* panelRow(const QString& title) const
    {
        for (QWidget* child : delegate->menuPanel().panel()->findChildren<QWidget*>()) {
            if (child->accessibleName() == title)
                return child;
        }
        return nullptr;
    }

    void openPanel()
    {
        sim.clock.advance(1);
        SimStatusItem* item = statusBar.items().first();
        item->setButtonFrame(QRectF(700, 957, 22, 25));
        item->click({});
    }

    bool pressShortcut(CGEventFlags extra = 0)
    {
        return sim.control.injectKey(
            SimKeyMapping::keyDown(KeyCode::tab, CGEventFlag::option | extra));
    }

    SimPlatform sim;
    SimAlerts alerts;
    SimStatusBar statusBar;
    EventMonitorRegistry monitors;
    QTemporaryDir logs;
    QNetworkAccessManager network;
    CrashReporter crashReporter;
    QStringList printed;
    int terminated = 0;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace

class TestAppDelegate : public QObject {
    Q_OBJECT
private slots:
    // The delegate keeps its thumbnails in the user's data folder: one of
    // this run's own, so that no other run's captures show up in its cache.
    void initTestCase()
    {
        QVERIFY(m_dataHome.isValid());
        qputenv("XDG_DATA_HOME", m_dataHome.path().toUtf8());
    }

    void launchCounter_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("first launch") << QVariant() << 1;
        QTest::newRow("second rapid launch") << QVariant(1) << 2;
        QTest::newRow("third rapid launch") << QVariant(2) << 3;
        QTest::newRow("after five") << QVariant(5.0) << 6;
        // Values no launch wrote: counted from nothing, without overflowing.
        QTest::newRow("text") << QVariant(QStringLiteral("two")) << 1;
        QTest::newRow("beyond any count") << QVariant(1e300) << 1;
    }

    void launchCounter()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, expected);
        Harness h;
        if (stored.isValid())
            h.sim.defaults.set(AppDelegate::launchAttemptsKey, stored);
        h.delegate->applicationDidFinishLaunching();

        QCOMPARE(h.sim.defaults.number(AppDelegate::launchAttemptsKey), double(expected));
        const bool safe = expected >= 3;
        QCOMPARE(h.delegate->scriptGuard().safeMode(), safe);
        const QString launched = QStringLiteral("Tessel Nav launched. Accessibility: granted\n"
                                                "Screen Recording: granted");
        const QStringList expectedLines =
            safe ? QStringList{safeModeLine.arg(expected), launched} : QStringList{launched};
        QCOMPARE(h.printed, expectedLines);
        // In safe mode the warm-up does nothing at all, not even observing.
        if (safe) {
            QTest::qWait(60);
            QVERIFY(h.delegate->recentTracker().observedProcesses().isEmpty());
        } else {
            QTRY_COMPARE(h.delegate->recentTracker().observedProcesses(), QList<pid_t>{501});
        }
    }

    void countResetsAfterTheDelayOrAtAnOrderlyEnd()
    {
        Harness h(desktop(), AppTimings{40ms, 1h, 5s, 20ms});
        h.sim.defaults.set(AppDelegate::launchAttemptsKey, 1);
        h.delegate->applicationDidFinishLaunching();
        QCOMPARE(h.sim.defaults.number(AppDelegate::launchAttemptsKey), 2.0);
        QTRY_COMPARE(h.sim.defaults.number(AppDelegate::launchAttemptsKey), 0.0);
        // A delegate gone before the time, as in a kill, leaves the count as it is.
        Harness gone(desktop(), AppTimings{40ms, 1h, 5s, 20ms});
        gone.delegate->applicationDidFinishLaunching();
        gone.delegate.reset();
        QTest::qWait(80);
        QCOMPARE(gone.sim.defaults.number(AppDelegate::launchAttemptsKey), 1.0);
        // An orderly end puts the cleared count on disk before anything is
        // taken down.
        Harness ended;
        ended.delegate->applicationDidFinishLaunching();
        ended.delegate->applicationWillTerminate();
        QCOMPARE(ended.sim.defaults.synchronizedValues().value(AppDelegate::launchAttemptsKey),
                 QVariant(0));
    }

    void warmUp_data()
    {
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<bool>("recording");
        QTest::addColumn<bool>("previews");
        QTest::addColumn<bool>("observes");
        QTest::addColumn<bool>("captures");
        QTest::newRow("everything granted") << true << true << true << true << true;
        QTest::newRow("no accessibility") << false << true << true << false << false;
        QTest::newRow("no screen recording") << true << false << true << true << false;
        QTest::newRow("previews off") << true << true << false << true << false;
    }

    void warmUp()
    {
        QFETCH(bool, trusted);
        QFETCH(bool, recording);
        QFETCH(bool, previews);
        QFETCH(bool, observes);
        QFETCH(bool, captures);
        QDir(SnapshotService::defaultDiskCacheDirectory()).removeRecursively();
        Harness h(desktop(trusted, recording));
        h.delegate->preferences().setShowWindowPreviews(previews);
        h.delegate->applicationDidFinishLaunching();
        if (captures) {
            QTRY_VERIFY(h.delegate->snapshotService().cachedImage(89u).has_value());
        } else {
            QTest::qWait(80);
            QVERIFY(!h.delegate->snapshotService().cachedImage(89u).has_value());
        }
        QCOMPARE(h.delegate->recentTracker().observedProcesses(),
                 observes ? QList<pid_t>{501} : QList<pid_t>{});
        // The switcher's own lists stay empty until it first shows.
        QVERIFY(!h.delegate->hasOverlayController());
    }

    void shortcutOpensTheSwitcher_data()
    {
        QTest::addColumn<bool>("shift");
        QTest::addColumn<int>("selected");
        QTest::newRow("forward") << false << 1;
        QTest::newRow("reversed") << true << 2;
    }

    void shortcutOpensTheSwitcher()
    {
        QFETCH(bool, shift);
        QFETCH(int, selected);
        Harness h;
        h.delegate->applicationDidFinishLaunching();
        QVERIFY(h.pressShortcut(shift ? CGEventFlag::shift : 0));
        OverlayController& overlay = h.delegate->overlayController();
        QVERIFY(overlay.isVisible());
        QVERIFY(overlay.activatedViaHotkey());
        QCOMPARE(overlay.windows().size(), 3);
        QCOMPARE(overlay.selectedIndex(), selected);

        // Typing searches; Escape closes without focusing anything.
        QVERIFY(h.sim.control.injectKey(SimKeyMapping::keyDown(KeyCode::p, CGEventFlag::option)));
        QCOMPARE(overlay.searchQuery(), QStringLiteral("p"));
        QVERIFY(overlay.userAdjusted());
        QVERIFY(h.sim.control.injectKey(SimKeyMapping::keyDown(KeyCode::escape)));
        QVERIFY(!overlay.isVisible());
        QCOMPARE(h.sim.host.snapshot().instances.first().windows.first().title,
                 QStringLiteral("Inbox"));
    }

    void releasingTheModifierFocusesTheSelection()
    {
        Harness h;
        h.delegate->applicationDidFinishLaunching();
        h.pressShortcut();
        h.pressShortcut();
        QVERIFY(h.sim.control.injectKey(SimKeyMapping::flagsChanged(KeyCode::option, 0)) == false);
        QVERIFY(!h.delegate->overlayController().isVisible());
        QTRY_COMPARE(h.sim.host.snapshot().instances.first().windows.first().title,
                     QStringLiteral("Recipes"));
    }

    void typedTextWhileHiddenIsDropped()
    {
        Harness h;
        h.delegate->setupHotkey();
        h.delegate->hotkeyService().onType(QStringLiteral("x"));
        OverlayController& overlay = h.delegate->overlayController();
        QVERIFY(overlay.searchQuery().isEmpty());
        QVERIFY(!overlay.userAdjusted());
    }

    void commandBacktickScope()
    {
        Harness h;
        h.delegate->setupHotkey();
        HotkeyService& hotkey = h.delegate->hotkeyService();
        h.delegate->preferences().setEnabledBrowsers({Browser::chrome});
        // Safari is frontmost, supported, but not enabled.
        QCOMPARE(hotkey.frontmostBrowser(), std::nullopt);
        h.delegate->preferences().setEnabledBrowsers({Browser::safari});
        QCOMPARE(hotkey.frontmostBrowser(), std::optional<Browser>(Browser::safari));
        h.sim.host.modify([](SimModel& model) { model.frontmostPid.reset(); });
        QCOMPARE(hotkey.frontmostBrowser(), std::nullopt);

        h.delegate->preferences().setEnhanceCommandBacktick(false);
        QVERIFY(!hotkey.isCommandBacktickEnabled());
        h.delegate->preferences().setShortcutPreset(ShortcutPreset::optionGrave);
        QCOMPARE(hotkey.shortcut(), ShortcutPreset::optionGrave);
    }

    // Every callback holds the delegate weakly: called after it is gone, a
    // provider gives its fallback and an action does nothing.
    void callbacksOutliveTheDelegate()
    {
        Harness h;
        h.delegate->setupHotkey();
        const HotkeyService& hotkey = h.delegate->hotkeyService();
        const auto shortcut = hotkey.shortcut;
        const auto backtick = hotkey.isCommandBacktickEnabled;
        const auto frontmost = hotkey.frontmostBrowser;
        const auto visible = hotkey.isOverlayVisible;
        const auto activate = hotkey.onActivate;
        const auto type = hotkey.onType;
        const auto cancel = hotkey.onCancel;
        h.delegate->preferences().setShortcutPreset(ShortcutPreset::controlOptionTab);
        QCOMPARE(shortcut(), ShortcutPreset::controlOptionTab);
        h.delegate.reset();
        QCOMPARE(shortcut(), ShortcutPreset::optionTab);
        QVERIFY(!backtick());
        QCOMPARE(frontmost(), std::nullopt);
        QVERIFY(!visible());
        activate(false, std::nullopt);
        type(QStringLiteral("a"));
        cancel();
    }

    void showSwitcher()
    {
        Harness h;
        h.delegate->showSwitcher();
        OverlayController& overlay = h.delegate->overlayController();
        QVERIFY(overlay.isVisible());
        QVERIFY(!overlay.activatedViaHotkey());
        QCOMPARE(overlay.selectedIndex(), 0);
        QVERIFY(h.alerts.shown().isEmpty());
    }

    // A desktop where every app hangs, and one with 500 windows: the
    // switcher still opens within the listing's bounds.
    void hostileDesktops_data()
    {
        QTest::addColumn<int>("hungApps");
        QTest::addColumn<int>("windows");
        QTest::newRow("every app hung") << 3 << 0;
        QTest::newRow("500 windows") << 0 << 500;
    }

    void hostileDesktops()
    {
        QFETCH(int, hungApps);
        QFETCH(int, windows);
        SimScenarioBuilder b;
        b.screen(QRectF(0, 0, 1512, 982), QRectF(0, 0, 1512, 957), QStringLiteral("Built-in"));
        const QList<Browser> apps{Browser::safari, Browser::firefox, Browser::vscode};
        for (int i = 0; i < apps.size(); ++i) {
            b.install(apps[i]).launch(apps[i], 500 + i);
            b.window(QStringLiteral("Window"));
            b.accessibilityHung(i < hungApps);
        }
        for (int i = 0; i < windows; ++i)
            b.window(QStringLiteral("Window %1").arg(i), QRectF(i % 40, i % 30, 400, 300))
                .windowNumber(quint32(1000 + i));
        Harness h(b.build());
        // Capturing 500 window images is the snapshot service's own cost.
        h.delegate->preferences().setShowWindowPreviews(false);
        QElapsedTimer timer;
        timer.start();
        h.delegate->showSwitcher();
        // Each hung app costs one messaging time-out of 0.3 s; the bound is
        // what a hang would break, with room for a loaded machine. How long
        // 500 windows take is the listing benchmark's business.
        if (hungApps > 0)
            QVERIFY2(timer.elapsed() < 2500, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(h.delegate->overlayController().isVisible());
        QCOMPARE(h.delegate->overlayController().windows().size(),
                 hungApps == apps.size() ? 0 : qsizetype(apps.size() + windows));
        h.delegate->overlayController().hide();
    }

    // Without Accessibility the setup window opens at launch and at the
    // shortcut; Show Switcher asks the host and explains instead.
    void withoutAccessibility()
    {
        Harness h(desktop(false));
        h.delegate->applicationDidFinishLaunching();
        QVERIFY(!h.delegate->hotkeyService().isTapActive());
        QWidget* setup = shownWindow(setupTitle);
        QVERIFY(setup);
        // It polls while it is on screen and stops when it closes.
        h.sim.host.modify([](SimModel& model) { model.screenRecordingGranted = false; });
        QTRY_VERIFY(!h.delegate->onboardingWindowController().model().screenRecording());
        setup->close();
        QVERIFY(!h.delegate->onboardingWindowController().model().isPolling());

        h.delegate->hotkeyService().onActivate(false, std::nullopt);
        QCOMPARE(shownWindow(setupTitle), setup);
        QVERIFY(!h.delegate->hasOverlayController());
        QCOMPARE(h.sim.control.trustPromptCount(), 0);

        // From the menu panel: the panel hides first, then prompt and alert.
        h.openPanel();
        QVERIFY(h.delegate->menuPanel().isShown());
        QWidget* row = h.panelRow(QStringLiteral("Show Switcher"));
        QVERIFY(row);
        QTest::mouseClick(row, Qt::LeftButton);
        QVERIFY(!h.delegate->menuPanel().isShown());
        QCOMPARE(h.sim.control.trustPromptCount(), 1);
        QCOMPARE(h.alerts.shown().size(), 1);
        QCOMPARE(h.alerts.shown()[0].messageText, QStringLiteral("Accessibility needed"));
        QCOMPARE(h.alerts.shown()[0].informativeText, StatusMenu::accessibilityNeededText());
        QVERIFY(h.alerts.shown()[0].activatesApplication);
        QVERIFY(!h.delegate->hasOverlayController());
    }

    // Settings and the setup window open from the status menu, the menu
    // panel (which hides first) and the settings window's own button; each
    // is one window, built once.
    void windowsOpenFromTheMenus()
    {
        Harness h;
        h.delegate->applicationDidFinishLaunching();
        QVERIFY(!shownWindow(setupTitle));

        h.statusMenuAction(QStringLiteral("Settings…"))->trigger();
        QWidget* settings = shownWindow(settingsTitle);
        QVERIFY(settings);
        settings->close();
        h.openPanel();
        QTest::mouseClick(h.panelRow(QStringLiteral("Settings…")), Qt::LeftButton);
        QVERIFY(!h.delegate->menuPanel().isShown());
        QCOMPARE(shownWindow(settingsTitle), settings);

        QPushButton* permissions = nullptr;
        for (QPushButton* button : settings->findChildren<QPushButton*>()) {
            if (button->text() == QStringLiteral("Open Permissions Setup…"))
                permissions = button;
        }
        QVERIFY(permissions);
        permissions->click();
        QWidget* setup = shownWindow(setupTitle);
        QVERIFY(setup);
        setup->close();

        h.statusMenuAction(QStringLiteral("Permissions Setup…"))->trigger();
        QCOMPARE(shownWindow(setupTitle), setup);
        setup->close();
        h.openPanel();
        QTest::mouseClick(h.panelRow(QStringLiteral("Permissions Setup…")), Qt::LeftButton);
        QVERIFY(!h.delegate->menuPanel().isShown());
        QCOMPARE(shownWindow(setupTitle), setup);
    }

    // A crash log newer than the last one handled is offered shortly after
    // launch, and recorded first.
    void crashPromptAtLaunch()
    {
        Harness h;
        const QString log = h.logs.filePath(QStringLiteral("TesselNav-2026-01-05.ips"));
        QFile file(log);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Crashed Thread: 0\n");
        file.close();
        const double modified = QFileInfo(log).lastModified().toMSecsSinceEpoch() / 1000.0;
        h.sim.defaults.set(CrashReporter::lastHandledKey, modified - 60);
        h.alerts.answerNext({1, {}}); // "Don't Send"

        h.delegate->applicationDidFinishLaunching();
        QCOMPARE(h.sim.defaults.number(CrashReporter::lastHandledKey), modified);
        QTRY_COMPARE(h.alerts.shown().size(), 1);
        QCOMPARE(h.alerts.shown()[0].messageText, QStringLiteral("Tessel Nav quit unexpectedly"));
        QVERIFY(!h.alerts.shown()[0].activatesApplication);
    }

    void showInfoShowsPlaceholderForEmptyText()
    {
        Harness h;
        h.delegate->showInfo(QStringLiteral("Title"), QString());
        QCOMPARE(h.alerts.shown().size(), 1);
        QCOMPARE(h.alerts.shown()[0].messageText, QStringLiteral("Title"));
        QCOMPARE(h.alerts.shown()[0].informativeText, QStringLiteral("(nothing to show)"));
        QCOMPARE(h.alerts.shown()[0].style, Alert::Style::informational);
    }

    void statusItemClicks()
    {
        Harness h;
        h.delegate->applicationDidFinishLaunching();
        QCOMPARE(h.statusBar.items().size(), 1);
        SimStatusItem* item = h.statusBar.items().first();
        QVERIFY(!item->image().isNull());
        QVERIFY(item->isTemplate());
        item->setButtonFrame(QRectF(700, 957, 22, 25));

        item->click({StatusItemClick::Button::left, false});
        QVERIFY(h.delegate->menuPanel().isShown());
        // A right click and a Control-click pop up the status menu, hiding
        // the panel first.
        item->click({StatusItemClick::Button::right, false});
        QVERIFY(!h.delegate->menuPanel().isShown());
        QMenu* menu = h.delegate->statusMenu()->menu();
        QTRY_VERIFY(menu->isVisible());
        menu->hide();
        h.sim.clock.advance(1);
        item->click({StatusItemClick::Button::left, false});
        QVERIFY(h.delegate->menuPanel().isShown());
        item->click({StatusItemClick::Button::left, true});
        QVERIFY(!h.delegate->menuPanel().isShown());
        QTRY_VERIFY(menu->isVisible());
        menu->hide();

        // A storm of clicks leaves the panel in a consistent state.
        for (int i = 0; i < 100; ++i) {
            h.sim.clock.advance(0.01);
            item->click({StatusItemClick::Button::left, false});
        }
        QCOMPARE(h.monitors.globalMonitorCount(), h.delegate->menuPanel().isShown() ? 1 : 0);

        // Quit from the status menu ends the program.
        for (QAction* action : menu->actions()) {
            if (action->text() == QStringLiteral("Quit Tessel Nav"))
                action->trigger();
        }
        QCOMPARE(h.terminated, 1);
    }

private:
    QTemporaryDir m_dataHome;
};

QTEST_MAIN(TestAppDelegate)
#include "tst_AppDelegate.moc"

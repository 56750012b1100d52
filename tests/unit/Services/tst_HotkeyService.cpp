#include "Platform/KeyCode.h"
#include "Platform/Sim/SimKeyMapping.h"
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Services/HotkeyService.h"

#include <QTest>

using namespace CGEventFlag;
using namespace std::chrono_literals;

namespace {

constexpr int absent = -1;
const QString activeLine = QStringLiteral("HotkeyService: event tap active (Option+Tab)");

// A service on a simulated keyboard whose callbacks write what they were told
// into calls; opening the switcher makes it visible, as the overlay would.
struct Harness {
    explicit Harness(bool trusted = true,
                     std::chrono::milliseconds retry = HotkeyService::defaultRetryInterval)
        : sim(SimScenarioBuilder().trusted(trusted).build()),
          service(sim.eventTap, sim.systemLog, retry)
    {
        service.shortcut = [this] { return preset; };
        service.isOverlayVisible = [this] { return visible; };
        service.onActivate = [this](bool reversed, std::optional<Browser> scope) {
            calls << QStringLiteral("activate(%1,%2)")
                         .arg(reversed)
                         .arg(scope ? scope->rawValue() : QStringLiteral("-"));
            visible = true;
        };
        service.onCycle = [this](bool reversed) {
            calls << QStringLiteral("cycle(%1)").arg(reversed);
        };
        service.onFilterSelect = [this](int i) { calls << QStringLiteral("filter(%1)").arg(i); };
        service.onArrow = [this](int step) { calls << QStringLiteral("arrow(%1)").arg(step); };
        service.onVerticalArrow = [this](int step) {
            calls << QStringLiteral("row(%1)").arg(step);
        };
        service.onCommit = [this] { calls << QStringLiteral("commit"); };
        service.onModifierRelease = [this] { calls << QStringLiteral("release"); };
        service.onCancel = [this] { calls << QStringLiteral("cancel"); };
        service.onType = [this](const QString& text) {
            calls << QStringLiteral("type(%1)").arg(text);
        };
        service.onBackspace = [this] { calls << QStringLiteral("backspace"); };
    }

    void setCommandBacktick(int enabled)
    {
        if (enabled == absent)
            service.isCommandBacktickEnabled = nullptr;
        else
            service.isCommandBacktickEnabled = [enabled] { return enabled == 1; };
    }

    bool press(quint16 key, CGEventFlags flags = 0, bool repeat = false)
    {
        return sim.control.injectKey(SimKeyMapping::keyDown(key, flags, repeat));
    }
    bool modifiersNow(CGEventFlags flags)
    {
        return sim.control.injectKey(SimKeyMapping::flagsChanged(KeyCode::option, flags));
    }

    SimPlatform sim;
    HotkeyService service;
    ShortcutPreset preset = ShortcutPreset::optionTab;
    bool visible = false;
    QStringList calls;
};

} // namespace

class TestHotkeyService : public QObject {
    Q_OBJECT
private slots:
    void keyDown_data()
    {
        QTest::addColumn<int>("preset");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<int>("backtick"); // feature: absent, 0 off, 1 on
        QTest::addColumn<bool>("frontmostApp");
        QTest::addColumn<int>("key");
        QTest::addColumn<qulonglong>("flags");
        QTest::addColumn<bool>("consumed");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<qulonglong>("sessionFlags");

        const int optTab = int(ShortcutPreset::optionTab);
        const int ctlOptTab = int(ShortcutPreset::controlOptionTab);
        const int optGrave = int(ShortcutPreset::optionGrave);
        namespace K = KeyCode;
        const auto row = [](const char* name, int preset, bool visible, int key, CGEventFlags flags,
                            bool consumed, QStringList calls, CGEventFlags session = 0,
                            int backtick = absent, bool frontmost = false) {
            QTest::newRow(name) << preset << visible << backtick << frontmost << int(key)
                                << qulonglong(flags) << consumed << calls << qulonglong(session);
        };
        const QStringList none;

        // The presets, closed.
        row("Option+Tab opens", optTab, false, K::tab, option, true, {"activate(0,-)"}, option);
        row("Option+Shift+Tab opens reversed", optTab, false, K::tab, option | shift, true,
            {"activate(1,-)"}, option);
        row("Caps Lock and keypad bits ignored", optTab, false, K::tab,
            option | alphaShift | numericPad | secondaryFn, true, {"activate(0,-)"}, option);
        row("Command+Tab passes closed", optTab, false, K::tab, command, false, none);
        row("Option+Command+Tab forbidden", optTab, false, K::tab, option | command, false, none);
        row("Control+Option+Tab forbidden", optTab, false, K::tab, option | control, false, none);
        row("Option+backtick is not Option+Tab", optTab, false, K::grave, option, false, none);
        row("Control+Option+Tab opens", ctlOptTab, false, K::tab, control | option | shift, true,
            {"activate(1,-)"}, control | option);
        row("Option+Tab alone with Control+Option+Tab", ctlOptTab, false, K::tab, option, false,
            none);
        row("Command forbidden with Control+Option+Tab", ctlOptTab, false, K::tab,
            command | control | option, false, none);
        row("Option+backtick opens", optGrave, false, K::grave, option, true, {"activate(0,-)"},
            option);
        row("Option+Tab with Option+backtick", optGrave, false, K::tab, option, false, none);
        row("Control forbidden with Option+backtick", optGrave, false, K::grave, control | option,
            false, none);
        row("plain keys pass closed", optTab, false, K::a, 0, false, none);
        row("Escape passes closed", optTab, false, K::escape, 0, false, none);

        // The presets and Tab, open.
        row("Option+Tab cycles open", optTab, true, K::tab, option, true, {"cycle(0)"}, option);
        row("Option+Shift+Tab cycles back", optTab, true, K::tab, option | shift, true,
            {"cycle(1)"}, option);
        row("Command+Tab cycles open", optTab, true, K::tab, command, true, {"cycle(0)"});
        row("plain Tab cycles with Control+Option+Tab", ctlOptTab, true, K::tab, 0, true,
            {"cycle(0)"});
        row("Option+Tab cycles with Control+Option+Tab", ctlOptTab, true, K::tab, option, true,
            {"cycle(0)"});
        row("Option+Tab cycles with Option+backtick", optGrave, true, K::tab, option, true,
            {"cycle(0)"});

        // Command+backtick.
        row("Command+backtick opens for the frontmost app", optTab, false, K::grave, command, true,
            {"activate(0,chrome)"}, command, 1, true);
        row("Command+Shift+backtick opens reversed", optTab, false, K::grave, command | shift, true,
            {"activate(1,chrome)"}, command, 1, true);
        row("Command+backtick without an enabled frontmost app", optTab, false, K::grave, command,
            false, none, 0, 1, false);
        row("Command+backtick with the feature off", optTab, false, K::grave, command, false, none,
            0, 0, true);
        row("Command+backtick without the provider", optTab, false, K::grave, command, false, none,
            0, absent, true);
        row("Command+Option+backtick", optTab, false, K::grave, command | option, false, none, 0, 1,
            true);
        row("Command+Control+backtick", optTab, false, K::grave, command | control, false, none, 0,
            1, true);
        row("Command+backtick cycles open whatever is frontmost", optTab, true, K::grave, command,
            true, {"cycle(0)"}, command, 1, false);
        row("Command+backtick passes open with the feature off", optTab, true, K::grave, command,
            false, none, 0, 0, true);

        // Open: Command with digits and other keys.
        row("Command+1 selects all apps", optTab, true, K::digit1, command, true, {"filter(0)"});
        row("Command+Shift+9", optTab, true, K::digit9, command | shift, true, {"filter(8)"});
        row("Command+5 (key code 23)", optTab, true, K::digit5, command, true, {"filter(4)"});
        row("Command+0 passes", optTab, true, K::digit0, command, false, none);
        row("Command+keypad 1 passes", optTab, true, K::keypad1, command, false, none);
        row("Command+letter passes", optTab, true, K::a, command, false, none);

        // Open: routed keys, whatever the modifiers.
        row("Return commits", optTab, true, K::returnKey, option, true, {"commit"});
        row("Command+Return commits", optTab, true, K::returnKey, command, true, {"commit"});
        row("keypad Enter commits", optTab, true, K::keypadEnter, 0, true, {"commit"});
        row("Option+Escape cancels", optTab, true, K::escape, option, true, {"cancel"});
        row("Delete erases", optTab, true, K::deleteKey, option, true, {"backspace"});
        row("Command+Left steps left", optTab, true, K::leftArrow, command, true, {"arrow(-1)"});
        row("Right", optTab, true, K::rightArrow, option, true, {"arrow(1)"});
        row("Up", optTab, true, K::upArrow, 0, true, {"row(-1)"});
        row("Down", optTab, true, K::downArrow, 0, true, {"row(1)"});

        // Open: typing.
        row("a types a", optTab, true, K::a, 0, true, {"type(a)"});
        row("Option+a types a", optTab, true, K::a, option, true, {"type(a)"});
        row("Shift shapes", optTab, true, K::digit1, option | shift, true, {"type(!)"});
        row("Control+a types a", optTab, true, K::a, control, true, {"type(a)"});
        row("space types", optTab, true, K::space, 0, true, {"type( )"});
        row("function keys type nothing", optTab, true, K::f1, 0, false, none);
        row("forward delete types nothing", optTab, true, K::forwardDelete, 0, false, none);
    }

    void keyDown()
    {
        QFETCH(int, preset);
        QFETCH(bool, visible);
        QFETCH(int, backtick);
        QFETCH(bool, frontmostApp);
        QFETCH(int, key);
        QFETCH(qulonglong, flags);

        Harness h;
        QVERIFY(h.service.start());
        h.preset = ShortcutPreset(preset);
        h.visible = visible;
        h.setCommandBacktick(backtick);
        h.service.frontmostBrowser = [frontmostApp]() -> std::optional<Browser> {
            return frontmostApp ? std::optional<Browser>(Browser::chrome) : std::nullopt;
        };

        QTEST(h.press(quint16(key), flags), "consumed");
        QTEST(h.calls, "calls");
        QTEST(qulonglong(h.service.sessionFlags()), "sessionFlags");
    }

    void keysWithoutCharactersPass()
    {
        Harness h;
        h.service.start();
        h.visible = true;
        KeyEvent event = SimKeyMapping::keyDown(KeyCode::a);
        event.charactersIgnoringModifiers = std::nullopt;
        QVERIFY(!h.sim.control.injectKey(event));
        event.charactersIgnoringModifiers = QString();
        QVERIFY(!h.sim.control.injectKey(event));
        event.charactersIgnoringModifiers = QStringLiteral("a\u0007");
        QVERIFY(!h.sim.control.injectKey(event));
        event.charactersIgnoringModifiers = QStringLiteral("a\u200B"); // a format character
        QVERIFY(!h.sim.control.injectKey(event));
        // A format character beyond the first plane (a tag, as in the flag of
        // England) is one character made of two UTF-16 units.
        event.charactersIgnoringModifiers = QString::fromUcs4(U"\U0001F3F4\U000E0067");
        QVERIFY(!h.sim.control.injectKey(event));
        QVERIFY(h.calls.isEmpty());
        // Letters beyond the first plane are typed like any other.
        event.charactersIgnoringModifiers = QString::fromUcs4(U"\U0001D400");
        QVERIFY(h.sim.control.injectKey(event));
        QCOMPARE(h.calls, QStringList{"type(" + QString::fromUcs4(U"\U0001D400") + ")"});
    }

    void absentCallbacksStillConsume()
    {
        SimPlatform sim;
        HotkeyService service(sim.eventTap, sim.systemLog);
        service.shortcut = nullptr; // counts as the default preset
        QVERIFY(service.start());
        const auto press = [&](quint16 key, CGEventFlags flags) {
            return sim.control.injectKey(SimKeyMapping::keyDown(key, flags));
        };
        QVERIFY(press(KeyCode::tab, option));
        QVERIFY(!press(KeyCode::returnKey, 0)); // closed: no visibility provider

        service.isOverlayVisible = [] { return true; };
        QVERIFY(press(KeyCode::tab, option));
        QVERIFY(press(KeyCode::returnKey, command));
        QVERIFY(press(KeyCode::digit3, command));
        QVERIFY(press(KeyCode::b, 0));
        QVERIFY(!press(KeyCode::grave, command)); // no Command+backtick provider: off
        QVERIFY(!sim.control.injectKey(SimKeyMapping::flagsChanged(KeyCode::option, 0)));
    }

    void holdingTabKeepsCycling()
    {
        Harness h;
        h.service.start();
        QVERIFY(h.press(KeyCode::tab, option));
        for (int i = 0; i < 3; ++i)
            QVERIFY(h.press(KeyCode::tab, option, true));
        QVERIFY(h.press(KeyCode::tab, option | shift, true));
        QCOMPARE(h.calls,
                 QStringList({"activate(0,-)", "cycle(0)", "cycle(0)", "cycle(0)", "cycle(1)"}));
    }

    void modifierRelease_data()
    {
        QTest::addColumn<int>("preset");
        QTest::addColumn<int>("openKey");
        QTest::addColumn<qulonglong>("openFlags");
        QTest::addColumn<qulonglong>("flagsNow");
        QTest::addColumn<bool>("released");

        const auto row = [](const char* name, ShortcutPreset preset, quint16 key,
                            CGEventFlags openFlags, CGEventFlags now, bool released) {
            QTest::newRow(name) << int(preset) << int(key) << qulonglong(openFlags)
                                << qulonglong(now) << released;
        };
        const auto optTab = ShortcutPreset::optionTab;
        const auto ctlOptTab = ShortcutPreset::controlOptionTab;
        row("Shift released, Option held", optTab, KeyCode::tab, option | shift, option, false);
        row("extra modifier pressed", optTab, KeyCode::tab, option, option | control, false);
        row("Caps Lock toggled", optTab, KeyCode::tab, option, option | alphaShift, false);
        row("Option released", optTab, KeyCode::tab, option, 0, true);
        row("Option released, Shift held", optTab, KeyCode::tab, option | shift, shift, true);
        row("Control released of Control+Option", ctlOptTab, KeyCode::tab, control | option, option,
            true);
        row("Control+Option still held", ctlOptTab, KeyCode::tab, control | option,
            control | option | shift, false);
        row("Command released after Command+backtick", optTab, KeyCode::grave, command, 0, true);
        row("Option added to Command+backtick", optTab, KeyCode::grave, command, command | option,
            false);
    }

    void modifierRelease()
    {
        QFETCH(int, preset);
        QFETCH(int, openKey);
        QFETCH(qulonglong, openFlags);
        QFETCH(qulonglong, flagsNow);

        Harness h;
        h.service.start();
        h.preset = ShortcutPreset(preset);
        h.setCommandBacktick(1);
        h.service.frontmostBrowser = [] { return std::optional<Browser>(Browser::safari); };
        QVERIFY(h.press(quint16(openKey), openFlags));
        h.calls.clear();

        QVERIFY(!h.modifiersNow(flagsNow)); // always passed on
        QFETCH(bool, released);
        QCOMPARE(h.calls, released ? QStringList{"release"} : QStringList{});
    }

    void modifierChangesOutsideASwitch()
    {
        Harness h;
        h.service.start();
        h.visible = true; // opened from the menu: no session modifiers yet
        QVERIFY(!h.modifiersNow(0));
        QVERIFY(!h.modifiersNow(option));
        QVERIFY(h.press(KeyCode::tab, option));
        h.visible = false;
        QVERIFY(!h.modifiersNow(0)); // closed meanwhile
        QCOMPARE(h.calls, QStringList{"cycle(0)"});
    }

    void tapDisabledNotifications_data()
    {
        QTest::addColumn<int>("reason");
        QTest::newRow("time-out") << int(CGEventType::tapDisabledByTimeout);
        QTest::newRow("user input") << int(CGEventType::tapDisabledByUserInput);
    }

    void tapDisabledNotifications()
    {
        QFETCH(int, reason);
        Harness h;
        h.service.start();
        h.sim.control.disableTaps(CGEventType(quint32(reason)));
        QCOMPARE(h.sim.control.listeningTapCount(), 1);
        QVERIFY(h.calls.isEmpty());
        QVERIFY(h.press(KeyCode::tab, option));
        QCOMPARE(h.calls, QStringList{"activate(0,-)"});

        // Before the tap exists the notification is simply passed on.
        Harness idle;
        KeyEvent notification;
        notification.type = CGEventType(quint32(reason));
        QVERIFY(!idle.service.handle(notification));
    }

    void startNeedsAccessibility()
    {
        Harness h(false);
        QVERIFY(!h.service.start());
        QVERIFY(h.sim.systemLog.lines().isEmpty());
        QVERIFY(!h.press(KeyCode::tab, option));

        h.sim.host.modify([](SimModel& model) { model.accessibilityTrusted = true; });
        QVERIFY(h.service.start());
        QVERIFY(h.service.start()); // already there: no second tap, no second line
        QCOMPARE(h.sim.control.tapCount(), 1);
        QCOMPARE(h.sim.systemLog.lines(), QStringList{activeLine});
        QVERIFY(h.press(KeyCode::tab, option));
    }

    void retryUntilTrusted()
    {
        QCOMPARE(Harness().service.retryInterval(), 5000ms);

        Harness h(false, 20ms);
        h.service.startWhenPermitted();
        h.service.startWhenPermitted(); // one timer, not two
        QVERIFY(h.service.isRetrying());
        QTest::qWait(80);
        QVERIFY(!h.service.isTapActive());
        QVERIFY(h.sim.systemLog.lines().isEmpty()); // failures are not logged

        h.sim.host.modify([](SimModel& model) { model.accessibilityTrusted = true; });
        QTRY_VERIFY(h.service.isTapActive());
        QVERIFY(!h.service.isRetrying());
        QCOMPARE(h.sim.systemLog.lines(), QStringList{activeLine});
        QVERIFY(h.press(KeyCode::tab, option));

        Harness trusted;
        trusted.service.startWhenPermitted();
        QVERIFY(trusted.service.isTapActive());
        QVERIFY(!trusted.service.isRetrying());
    }
};

QTEST_GUILESS_MAIN(TestHotkeyService)
#include "tst_HotkeyService.moc"

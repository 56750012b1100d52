// CTest labels: threads
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Services/SafariWindowService.h"
#include "Services/ScriptGuard.h"
#include "Services/WindowFocusService.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

using namespace std::chrono_literals;

struct Fixture {
    explicit Fixture(const SimModel& model, double scriptTimeout = 2.0)
        : sim(model), guard(sim.appleScript, sim.systemLog, sim.clock),
          service(platform, guard, scriptTimeout)
    {
        sim.control.setRecording(true);
    }
    SimPlatform sim;
    Platform platform = sim.platform();
    ScriptGuard guard;
    WindowFocusService service;

    // Focuses and waits for whatever was started in the background.
    bool focus(const SafariWindow& window)
    {
        service.focus(window);
        return service.waitForBackgroundWork(10s);
    }
    SimWindow simWindow(pid_t pid, const QString& title) const
    {
        return sim.host.read([&](const SimModel& model) {
            for (const SimWindow& window : model.instance(pid)->windows) {
                if (window.title == title)
                    return window;
            }
            return SimWindow{};
        });
    }
    std::optional<pid_t> frontmost() const
    {
        return sim.host.read([](const SimModel& model) { return model.frontmostPid; });
    }
};

SafariWindow scriptOnly(Browser browser, pid_t pid, const QString& scriptID)
{
    SafariWindow window;
    window.browser = browser;
    window.pid = pid;
    window.scriptWindowID = scriptID;
    window.title = scriptID;
    return window;
}

SimModel acrobatWithMenu(const QStringList& documents, const QStringList& windowMenu)
{
    return SimScenarioBuilder()
        .launch(Browser::acrobat, 700)
        .window("Start")
        .documents(documents, documents.value(0))
        .menu("File", {"Open…", "", "Close"})
        .menu("Window", windowMenu)
        .frontmost(1)
        .build();
}

} // namespace

class TestWindowFocusService : public QObject {
    Q_OBJECT
private slots:
    void productConstants()
    {
        QCOMPARE(WindowFocusService::scriptTimeoutSeconds, 3.0);
        QCOMPARE(WindowFocusService::windowMenuPause, 150ms);
    }

    void scriptTexts_data()
    {
        QTest::addColumn<int>("app");
        QTest::addColumn<QString>("scriptID");
        QTest::addColumn<QString>("script");
        QTest::newRow("safari, numeric id")
            << int(Browser::safari) << "42"
            << "tell application id \"com.apple.Safari\"\n    try\n    set miniaturized of window "
               "id 42 to false\nend try\n    set index of window id 42 to 1\nend tell";
        QTest::newRow("chrome uses its own word")
            << int(Browser::chrome) << "-7"
            << "tell application id \"com.google.Chrome\"\n    try\n    set minimized of window id "
               "-7 to false\nend try\n    set index of window id -7 to 1\nend tell";
        QTest::newRow("arc, quoted id")
            << int(Browser::arc) << "A1-B2"
            << "tell application id \"company.thebrowser.Browser\"\n    try\n    set miniaturized "
               "of window id \"A1-B2\" to false\nend try\n    set index of window id \"A1-B2\" to "
               "1\nend tell";
        QTest::newRow("finder has no clause")
            << int(Browser::finder) << "+9"
            << "tell application id \"com.apple.finder\"\n    \n    set index of window id +9 to "
               "1\nend tell";
        QTest::newRow("beyond 64 bits is text")
            << int(Browser::terminal) << "9223372036854775808"
            << "tell application id \"com.apple.Terminal\"\n    try\n    set miniaturized of "
               "window id \"9223372036854775808\" to false\nend try\n    set index of window id "
               "\"9223372036854775808\" to 1\nend tell";
        QTest::newRow("an empty id is quoted")
            << int(Browser::finder) << QString()
            << "tell application id \"com.apple.finder\"\n    \n    set index of window id \"\" "
               "to 1\nend tell";
    }
    void scriptTexts()
    {
        QFETCH(int, app);
        QFETCH(QString, scriptID);
        QFETCH(QString, script);
        QCOMPARE(WindowFocusService::windowFocusScript(Browser::Case(app), scriptID), script);
    }

    void referencesAndEscaping()
    {
        QCOMPARE(WindowFocusService::windowReference("9223372036854775807"), "9223372036854775807");
        QCOMPARE(WindowFocusService::windowReference("-9223372036854775808"),
                 "-9223372036854775808");
        QCOMPARE(WindowFocusService::windowReference(" 12"), "\" 12\"");
        QCOMPARE(WindowFocusService::windowReference("12a"), "\"12a\"");
        // A trailing line feed must not slip an unquoted number into the script.
        QCOMPARE(WindowFocusService::windowReference("12\n"), "\"12\"");
        QCOMPARE(WindowFocusService::windowReference("٣"), "\"٣\""); // digits are ASCII only
        QCOMPARE(WindowFocusService::documentSwitchScript(Browser::indesign, "Say \"Hi\"\nNow"),
                 "tell application id \"com.adobe.InDesign\"\n    set active document to document "
                 "\"Say \\\"Hi\\\"Now\"\nend tell");
        QCOMPARE(WindowFocusService::documentSwitchScript(Browser::photoshop, "Art.psd"),
                 "tell application id \"com.adobe.Photoshop\"\n    set current document to "
                 "document \"Art.psd\"\nend tell");
    }

    void accessibleWindowIsRaisedWithoutScript()
    {
        Fixture f(SimScenarioBuilder()
                      .launch(Browser::safari, 400)
                      .window("Front")
                      .window("Back")
                      .minimized()
                      .launch(Browser::finder, 300)
                      .frontmost(300)
                      .build());
        const QList<SafariWindow> windows =
            SafariWindowService(f.platform).discoverWindows(Browser::safari);
        QCOMPARE(windows.size(), 2);
        QVERIFY(f.focus(windows[1]));
        const SimWindow back = f.simWindow(400, "Back");
        QVERIFY(!back.minimized);
        QVERIFY(back.main);
        QCOMPARE(f.sim.host.snapshot().instance(400)->windows.first().title, "Back");
        QCOMPARE(f.frontmost(), 400);
        QVERIFY(f.sim.control.executedScripts().isEmpty());
    }

    void scriptOnlyWindowsAreRaisedByScript()
    {
        Fixture f(SimScenarioBuilder()
                      .launch(Browser::safari, 400)
                      .window("Visible")
                      .window("Elsewhere")
                      .minimized()
                      .script("42")
                      .onlyScripting()
                      .launch(Browser::arc, 410)
                      .window("Quoted")
                      .minimized()
                      .script("A\"1")
                      .onlyScripting()
                      .launch(Browser::finder, 300)
                      .window("Home")
                      .minimized()
                      .script("5")
                      .onlyScripting()
                      .build());
        QVERIFY(f.focus(scriptOnly(Browser::safari, 400, "42")));
        QVERIFY(!f.simWindow(400, "Elsewhere").minimized);
        QCOMPARE(f.sim.host.snapshot().instance(400)->windows.first().title, "Elsewhere");
        QCOMPARE(f.frontmost(), 400);

        QVERIFY(f.focus(scriptOnly(Browser::arc, 410, "A\"1")));
        QVERIFY(!f.simWindow(410, "Quoted").minimized);

        QVERIFY(f.focus(scriptOnly(Browser::finder, 300, "5")));
        QVERIFY(f.simWindow(300, "Home").minimized); // Finder gets no un-minimize clause
        QVERIFY(f.simWindow(300, "Home").main);
        QCOMPARE(f.frontmost(), 300);

        QCOMPARE(f.sim.control.executedScripts(),
                 (QStringList{WindowFocusService::windowFocusScript(Browser::safari, "42"),
                              WindowFocusService::windowFocusScript(Browser::arc, "A\"1"),
                              WindowFocusService::windowFocusScript(Browser::finder, "5")}));
        QVERIFY(f.sim.systemLog.lines().isEmpty());
    }

    void documentSwitch()
    {
        Fixture f(SimScenarioBuilder()
                      .launch(Browser::indesign, 800)
                      .window("Cover \"Final\" @ 50%")
                      .documents({"Brochure", "Cover \"Final\""}, QStringLiteral("Brochure"))
                      .build());
        QVERIFY(f.focus(scriptOnly(Browser::indesign, 800, "Cover \"Final\"")));
        QCOMPARE(f.sim.host.snapshot().instance(800)->activeDocument, "Cover \"Final\"");
        QVERIFY(f.sim.systemLog.lines().isEmpty());
    }

    void failuresAreOnlyLogged()
    {
        Fixture f(SimScenarioBuilder()
                      .launch(Browser::safari, 400)
                      .window("One")
                      .script("1")
                      .launch(Browser::photoshop, 600)
                      .documents({"Art.psd"})
                      .build(),
                  0.1);
        QVERIFY(f.focus(scriptOnly(Browser::safari, 400, "999")));
        QVERIFY(f.focus(scriptOnly(Browser::photoshop, 600, "Gone.psd")));
        f.sim.control.changeScripting(Browser(Browser::safari).bundleID(),
                                      [](SimScripting& s) { s.hangs = true; });
        QElapsedTimer timer;
        timer.start();
        f.service.focus(scriptOnly(Browser::safari, 400, "1"));
        QVERIFY(timer.elapsed() < 1000); // the caller never waits for the app
        QVERIFY(f.service.waitForBackgroundWork(10s));
        // Torn down with the run held, not on its way into the host.
        QTRY_COMPARE(f.sim.control.heldScriptCount(Browser(Browser::safari).bundleID()), 1);
        f.guard.setSafeMode(true);
        QVERIFY(f.focus(scriptOnly(Browser::safari, 400, "1")));

        QCOMPARE(f.sim.systemLog.lines(),
                 (QStringList{
                     "Focus via AppleScript failed: {NSAppleScriptErrorMessage = Can’t get window "
                     "id 999.; NSAppleScriptErrorNumber = -1728;}",
                     "Document switch via AppleScript failed: {NSAppleScriptErrorMessage = Can’t "
                     "get document \"Gone.psd\".; NSAppleScriptErrorNumber = -1728;}",
                     "Focus skipped: Safari did not answer in time.",
                     "Focus skipped: Safari is not responding to scripting; retrying later."}));
        QCOMPARE(f.frontmost(), 400); // activation happens all the same
    }

    void acrobatWindowMenu_data()
    {
        QTest::addColumn<QStringList>("documents");
        QTest::addColumn<QStringList>("menu");
        QTest::addColumn<QString>("document");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QString>("active");
        const QStringList docs{"Plan.pdf", "Budget.pdf"};
        const QStringList menu{"Cascade", "Tile", "", "Plan.pdf", "Budget.pdf"};
        QTest::newRow("found after the separator")
            << docs << menu << "Budget.pdf" << QStringList{"AXPress Window", "AXPress Budget.pdf"}
            << "Budget.pdf";
        QTest::newRow("not among the documents")
            << docs << menu << "Other.pdf" << QStringList{} << "Plan.pdf";
        QTest::newRow("beyond the menu's entries")
            << QStringList{"Plan.pdf", "Budget.pdf", "Notes.pdf"} << menu << "Notes.pdf"
            << QStringList{"AXPress Window", "AXCancel Window"} << "Plan.pdf";
        // Only the entries after the last separator are documents.
        QTest::newRow("after the last of two separators")
            << docs << QStringList{"Cascade", "", "Tile", "", "Plan.pdf", "Budget.pdf"}
            << "Budget.pdf" << QStringList{"AXPress Window", "AXPress Budget.pdf"} << "Budget.pdf";
        // Without a separator every titled entry counts, so positions shift.
        QTest::newRow("no separator")
            << docs << QStringList{"Plan.pdf", "Budget.pdf"} << "Plan.pdf"
            << QStringList{"AXPress Window", "AXPress Plan.pdf"} << "Plan.pdf";
    }
    void acrobatWindowMenu()
    {
        QFETCH(QStringList, documents);
        QFETCH(QStringList, menu);
        QFETCH(QString, document);
        QFETCH(QStringList, actions);
        QFETCH(QString, active);
        Fixture f(acrobatWithMenu(documents, menu));
        QVERIFY(f.focus(scriptOnly(Browser::acrobat, 700, document)));
        QCOMPARE(f.sim.control.menuActions(700), actions);
        QCOMPARE(f.sim.host.snapshot().instance(700)->activeDocument, active);
        QCOMPARE(f.frontmost(), 700);
        QVERIFY(f.sim.systemLog.lines().isEmpty());
    }

    void goneProcessOrNothingToGoOn()
    {
        Fixture f(SimScenarioBuilder().launch(Browser::safari, 400).frontmost(400).build());
        SafariWindow gone = scriptOnly(Browser::chrome, 999, "3");
        QVERIFY(f.focus(gone));
        SafariWindow bare = scriptOnly(Browser::safari, 400, {});
        bare.scriptWindowID.reset();
        QVERIFY(f.focus(bare));
        QCOMPARE(f.sim.control.executedScripts().size(), 1); // only the Chrome script
        QCOMPARE(f.frontmost(), 400);
        QCOMPARE(f.sim.systemLog.lines(),
                 QStringList{"Focus via AppleScript failed: {NSAppleScriptErrorMessage = "
                             "Application isn't running.; NSAppleScriptErrorNumber = -600;}"});
    }
};

QTEST_GUILESS_MAIN(TestWindowFocusService)
#include "tst_WindowFocusService.moc"

// CTest labels: threads
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Services/WindowFocusService.h"

#include <QElapsedTimer>
#include <QTest>

#include <thread>

namespace {

const QString finderFocus = QStringLiteral(
    "tell application id \"com.apple.finder\"\n    \n    set index of window id 5 to 1\nend tell");
const QString acrobatNames =
    QStringLiteral("tell application id \"com.adobe.Acrobat.Pro\" to get name of documents");

std::optional<int> errorNumber(const AppleScriptRun& run)
{
    if (!run.errorInfo)
        return std::nullopt;
    return run.errorInfo->value(AppleScriptErrorKey::number).toInt();
}

} // namespace

// The simulated host is the other side of the product's scripting protocol:
// what it refuses, the product's tests can rely on being refused.
class TestSimAppleScript : public QObject {
    Q_OBJECT
private slots:
    void onlyTheExactTextsCompile_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("number");
        QTest::newRow("the focus script") << finderFocus << 0;
        QTest::newRow("one blank too many")
            << QString(finderFocus).replace("id 5 to", "id 5  to") << -2740;
        QTest::newRow("an un-minimize clause Finder does not have")
            << "tell application id \"com.apple.finder\"\n    try\n    set miniaturized of window "
               "id 5 to false\nend try\n    set index of window id 5 to 1\nend tell"
            << -2740;
        QTest::newRow("an unterminated quoted id") << "tell application id \"com.apple.finder\"\n  "
                                                      "  \n    set index of window id \"a\"b\" "
                                                      "to 1\nend tell"
                                                   << -2740;
        QTest::newRow("a number followed by a line feed")
            << QString(finderFocus).replace("id 5 to", "id 5\n to") << -2740;
        QTest::newRow("an app outside the roster")
            << "tell application id \"org.example.other\" to get name of documents" << -2740;
        QTest::newRow("Acrobat's query sent to Photoshop")
            << "tell application id \"com.adobe.Photoshop\" to get name of documents" << -2740;
        // A quoted id may hold the script's own words; it still compiles and
        // names a window the app does not have.
        QTest::newRow("an id holding the script's own words")
            << WindowFocusService::windowFocusScript(Browser::finder, "a set index of window id b")
            << -1728;
        QTest::newRow("a window the app does not have")
            << QString(finderFocus).replace("id 5", "id 6") << -1728;
        QTest::newRow("an app that is not running")
            << "tell application id \"com.apple.Safari\"\n    try\n    set miniaturized of window "
               "id 1 to false\nend try\n    set index of window id 1 to 1\nend tell"
            << -600;
    }
    void onlyTheExactTextsCompile()
    {
        QFETCH(QString, source);
        QFETCH(int, number);
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::finder, 300)
                            .window("Home")
                            .script("5")
                            .launch(Browser::photoshop, 600)
                            .build());
        const AppleScriptRun run = sim.appleScript.execute(*sim.appleScript.build(source));
        QCOMPARE(errorNumber(run).value_or(0), number);
        QCOMPARE(run.result.has_value(), number == 0);
    }

    void delayedAndHungRuns()
    {
        SimPlatform sim(
            SimScenarioBuilder().launch(Browser::acrobat, 700).documents({"A.pdf"}).build());
        const QString acrobat = Browser(Browser::acrobat).bundleID();
        sim.control.changeScripting(acrobat, [](SimScripting& s) { s.delaySeconds = 0.2; });
        QElapsedTimer timer;
        timer.start();
        QVERIFY(sim.appleScript.execute({acrobatNames}).result);
        QVERIFY(timer.elapsed() >= 190);

        sim.control.changeScripting(acrobat, [](SimScripting& s) {
            s.delaySeconds = 0;
            s.hangs = true;
        });
        AppleScriptRun hung;
        std::thread caller([&] { hung = sim.appleScript.execute({acrobatNames}); });
        QTRY_COMPARE(sim.control.heldScriptCount(acrobat), 1);
        sim.control.changeScripting(
            acrobat, [](SimScripting& s) { s.replyOverride = AEDescriptor::integer(4); });
        sim.control.releaseScripts(acrobat);
        caller.join();
        QCOMPARE(hung.result, AEDescriptor::integer(4)); // answers as the app is when released
        QCOMPARE(sim.control.heldScriptCount(acrobat), 0);
    }

    // The program runs on this host for hours: no script text is kept unless
    // a test records it.
    void textsAreKeptOnlyWhileRecording()
    {
        SimPlatform sim(SimScenarioBuilder().launch(Browser::acrobat, 700).build());
        QVERIFY(sim.appleScript.execute({acrobatNames}).result);
        QVERIFY(sim.control.executedScripts().isEmpty());
        sim.control.setRecording(true);
        QVERIFY(sim.appleScript.execute({acrobatNames}).result);
        QCOMPARE(sim.control.executedScripts(), QStringList{acrobatNames});
        sim.control.setRecording(false);
        QVERIFY(sim.control.executedScripts().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSimAppleScript)
#include "tst_SimAppleScript.moc"

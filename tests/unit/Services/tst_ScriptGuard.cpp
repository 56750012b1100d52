// CTest labels: threads
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Services/ScriptGuard.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>
#include <thread>

namespace {

const QString acrobatID = QStringLiteral("com.adobe.Acrobat.Pro");
const QString finderID = QStringLiteral("com.apple.finder");
const AppleScriptProgram acrobatNames{
    QStringLiteral("tell application id \"com.adobe.Acrobat.Pro\" to get name of documents")};
const AppleScriptProgram finderFocus{QStringLiteral(
    "tell application id \"com.apple.finder\"\n    \n    set index of window id 7 to 1\nend tell")};
constexpr double shortWait = 0.05;
constexpr double longWait = 5.0;

bool isError(const GuardResult& result, GuardError::Kind kind)
{
    const auto* error = std::get_if<GuardError>(&result);
    return error && error->kind == kind;
}

} // namespace

class TestScriptGuard : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<SimPlatform> m_sim;
    std::unique_ptr<ScriptGuard> m_guard;

    void setScripting(const QString& bundleID, const std::function<void(SimScripting&)>& change)
    {
        m_sim->control.changeScripting(bundleID, change);
    }

    // A time-out whose abandoned script has returned before this returns.
    void timeOutOnce()
    {
        setScripting(acrobatID, [](SimScripting& s) { s.hangs = true; });
        QVERIFY(isError(m_guard->execute(acrobatNames, Browser::acrobat, shortWait),
                        GuardError::timedOut));
        // The caller may give up before the script's thread has even started:
        // release only a run that is really held, or it would hang on.
        QTRY_COMPARE(m_sim->control.heldScriptCount(acrobatID), 1);
        setScripting(acrobatID, [](SimScripting& s) { s.hangs = false; });
        m_sim->control.releaseScripts(acrobatID);
        QTRY_VERIFY(!m_guard->breaker(Browser::acrobat)->inFlight);
    }

private slots:
    void init()
    {
        m_sim = std::make_unique<SimPlatform>(SimScenarioBuilder()
                                                  .launch(Browser::acrobat, 700)
                                                  .documents({"Plan.pdf", "Budget.pdf"})
                                                  .launch(Browser::finder, 300)
                                                  .window("Home")
                                                  .script("7")
                                                  .build());
        m_sim->control.setRecording(true);
        m_guard = std::make_unique<ScriptGuard>(m_sim->appleScript, m_sim->systemLog, m_sim->clock);
    }

    void cleanup()
    {
        m_guard.reset();
        m_sim.reset(); // releases whatever still hangs
    }

    void descriptions_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("benched") << int(GuardError::benched)
                                 << "Acrobat is not responding to scripting; retrying later.";
        QTest::newRow("busy") << int(GuardError::busy)
                              << "A previous request to Acrobat is still pending.";
        QTest::newRow("timedOut") << int(GuardError::timedOut) << "Acrobat did not answer in time.";
    }
    void descriptions()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QCOMPARE((GuardError{GuardError::Kind(kind), Browser::acrobat}.description()), text);
    }

    void answerInTimeReturnsTheResult()
    {
        const GuardResult result = m_guard->execute(acrobatNames, Browser::acrobat, longWait);
        const auto* run = std::get_if<GuardedRun>(&result);
        QVERIFY(run);
        QVERIFY(!run->errorInfo);
        QCOMPARE(run->descriptor, AEDescriptor::list({AEDescriptor::text("Plan.pdf"),
                                                      AEDescriptor::text("Budget.pdf")}));
        const auto breaker = m_guard->breaker(Browser::acrobat);
        QVERIFY(breaker);
        QCOMPARE(breaker->strikes, 0);
        QVERIFY(!breaker->inFlight);
        QVERIFY(!m_guard->breaker(Browser::finder)); // entries come with the first request
    }

    void safeModeRefusesEverythingWithoutSending()
    {
        m_guard->setSafeMode(true);
        QVERIFY(m_guard->safeMode());
        QVERIFY(isError(m_guard->execute(acrobatNames, Browser::acrobat, longWait),
                        GuardError::benched));
        QVERIFY(
            isError(m_guard->execute(finderFocus, Browser::finder, longWait), GuardError::benched));
        QVERIFY(!m_guard->breaker(Browser::acrobat));
        QVERIFY(!m_guard->breaker(Browser::finder));
        QVERIFY(m_sim->control.executedScripts().isEmpty());
    }

    void scriptErrorIsANormalReturnAndResetsStrikes()
    {
        timeOutOnce();
        QCOMPARE(m_guard->breaker(Browser::acrobat)->strikes, 1);
        const QVariantMap error{{AppleScriptErrorKey::message, "Acrobat got an error."},
                                {AppleScriptErrorKey::number, -10000}};
        setScripting(acrobatID, [&](SimScripting& s) { s.error = error; });
        const GuardResult result = m_guard->execute(acrobatNames, Browser::acrobat, longWait);
        const auto* run = std::get_if<GuardedRun>(&result);
        QVERIFY(run);
        QCOMPARE(run->errorInfo, error);
        QCOMPARE(run->descriptor.kind(), AEDescriptor::Kind::Null);
        QCOMPARE(m_guard->breaker(Browser::acrobat)->strikes, 0);
    }

    void thirdConsecutiveTimeoutBenchesUntilExpiry()
    {
        timeOutOnce();
        timeOutOnce();
        QVERIFY(m_sim->systemLog.lines().isEmpty());
        const QDateTime third = m_sim->clock.now();
        timeOutOnce();
        QCOMPARE(m_sim->systemLog.lines(),
                 QStringList{"ScriptGuard: benching Acrobat for 90s after 3 timeouts"});
        QCOMPARE(m_guard->breaker(Browser::acrobat)->strikes, 3);
        QCOMPARE(m_guard->breaker(Browser::acrobat)->benchedUntil, third.addSecs(90));

        const qsizetype sent = m_sim->control.executedScripts().size();
        m_sim->clock.advance(89.9);
        QVERIFY(isError(m_guard->execute(acrobatNames, Browser::acrobat, longWait),
                        GuardError::benched));
        QCOMPARE(m_sim->control.executedScripts().size(), sent);
        // Other apps are not affected.
        QVERIFY(std::holds_alternative<GuardedRun>(
            m_guard->execute(finderFocus, Browser::finder, longWait)));

        m_sim->clock.advance(0.1); // the bench ends exactly 90 s after the third time-out
        QVERIFY(std::holds_alternative<GuardedRun>(
            m_guard->execute(acrobatNames, Browser::acrobat, longWait)));
        const auto breaker = m_guard->breaker(Browser::acrobat);
        QCOMPARE(breaker->strikes, 0);
        QVERIFY(!breaker->benchedUntil);
    }

    void aSuccessBetweenTimeoutsPreventsTheBench()
    {
        timeOutOnce();
        timeOutOnce();
        QVERIFY(std::holds_alternative<GuardedRun>(
            m_guard->execute(acrobatNames, Browser::acrobat, longWait)));
        timeOutOnce();
        timeOutOnce();
        QCOMPARE(m_guard->breaker(Browser::acrobat)->strikes, 2);
        QVERIFY(!m_guard->breaker(Browser::acrobat)->benchedUntil);
        QVERIFY(m_sim->systemLog.lines().isEmpty());
    }

    void busyWhileTheFirstRequestRuns()
    {
        setScripting(acrobatID, [](SimScripting& s) { s.hangs = true; });
        GuardResult first = GuardError{GuardError::benched, Browser::acrobat};
        std::thread caller(
            [&] { first = m_guard->execute(acrobatNames, Browser::acrobat, longWait); });
        QTRY_COMPARE(m_sim->control.heldScriptCount(acrobatID), 1);

        QElapsedTimer timer;
        timer.start();
        QVERIFY(
            isError(m_guard->execute(acrobatNames, Browser::acrobat, longWait), GuardError::busy));
        QVERIFY(timer.elapsed() < 1000); // refused at once, not after a wait
        QVERIFY(std::holds_alternative<GuardedRun>(
            m_guard->execute(finderFocus, Browser::finder, longWait)));

        setScripting(acrobatID, [](SimScripting& s) { s.hangs = false; });
        m_sim->control.releaseScripts(acrobatID);
        caller.join();
        QVERIFY(std::holds_alternative<GuardedRun>(first));
    }

    void abandonedScriptKeepsItsAppBusyPastTheBench()
    {
        timeOutOnce();
        timeOutOnce();
        setScripting(acrobatID, [](SimScripting& s) { s.hangs = true; });
        QElapsedTimer timer;
        timer.start();
        QVERIFY(
            isError(m_guard->execute(acrobatNames, Browser::acrobat, 0.2), GuardError::timedOut));
        QVERIFY(timer.elapsed() < 2000); // a hang costs the caller its time-out only
        QVERIFY(m_guard->breaker(Browser::acrobat)->inFlight);

        m_sim->clock.advance(ScriptGuard::benchSeconds);
        QVERIFY(
            isError(m_guard->execute(acrobatNames, Browser::acrobat, longWait), GuardError::busy));
        auto breaker = m_guard->breaker(Browser::acrobat);
        QCOMPARE(breaker->strikes, 0); // the expired bench was lifted all the same
        QVERIFY(!breaker->benchedUntil);

        // Its late answer is dropped; the app is free once it returns.
        setScripting(acrobatID, [](SimScripting& s) { s.hangs = false; });
        m_sim->control.releaseScripts(acrobatID);
        QTRY_VERIFY(!m_guard->breaker(Browser::acrobat)->inFlight);
        QCOMPARE(m_guard->breaker(Browser::acrobat)->strikes, 0);
        QVERIFY(std::holds_alternative<GuardedRun>(
            m_guard->execute(acrobatNames, Browser::acrobat, longWait)));
    }

    void nextRequestIsAdmittedAsSoonAsOneReturns()
    {
        for (int i = 0; i < 300; ++i) {
            const GuardResult result = m_guard->execute(acrobatNames, Browser::acrobat, longWait);
            QVERIFY2(std::holds_alternative<GuardedRun>(result), qPrintable(QString::number(i)));
        }
    }

    void aGuardMayGoWhileItsScriptHangs()
    {
        setScripting(acrobatID, [](SimScripting& s) { s.hangs = true; });
        QVERIFY(isError(m_guard->execute(acrobatNames, Browser::acrobat, shortWait),
                        GuardError::timedOut));
        QTRY_COMPARE(m_sim->control.heldScriptCount(acrobatID), 1);
        m_guard.reset();
        m_sim->control.releaseScripts(acrobatID);
        QTRY_COMPARE(m_sim->control.heldScriptCount(acrobatID), 0);
    }

    // Quitting with a hung app: the caller waiting for it and every later
    // request are let go at once, timed out without a strike or a send.
    void closingLetsWaitingCallersGo()
    {
        setScripting(acrobatID, [](SimScripting& s) { s.hangs = true; });
        GuardResult waiting = GuardedRun{};
        std::thread caller(
            [&] { waiting = m_guard->execute(acrobatNames, Browser::acrobat, longWait); });
        QTRY_COMPARE(m_sim->control.heldScriptCount(acrobatID), 1);

        QElapsedTimer timer;
        timer.start();
        m_guard->close();
        caller.join();
        QVERIFY(timer.elapsed() < 1000);
        QVERIFY(isError(waiting, GuardError::timedOut));
        QCOMPARE(m_guard->breaker(Browser::acrobat)->strikes, 0);

        setScripting(finderID, [](SimScripting& s) { s.hangs = true; });
        QVERIFY(isError(m_guard->execute(finderFocus, Browser::finder, longWait),
                        GuardError::timedOut));
        QVERIFY(timer.elapsed() < 1000);
        QCOMPARE(m_sim->control.heldScriptCount(finderID), 0); // never sent
    }

    void aHostMayGoWhileItsScriptHangs()
    {
        setScripting(acrobatID, [](SimScripting& s) { s.hangs = true; });
        QVERIFY(isError(m_guard->execute(acrobatNames, Browser::acrobat, shortWait),
                        GuardError::timedOut));
        QTRY_COMPARE(m_sim->control.heldScriptCount(acrobatID), 1);
        // cleanup() tears everything down with the script still hung.
    }
};

QTEST_GUILESS_MAIN(TestScriptGuard)
#include "tst_ScriptGuard.moc"

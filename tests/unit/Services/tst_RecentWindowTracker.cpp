// CTest labels: threads
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Services/RecentWindowTracker.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

quint64 windowToken(const SimPlatform& sim, pid_t pid, const QString& title)
{
    return sim.host.read([&](const SimModel& model) -> quint64 {
        for (const SimWindow& window : model.instance(pid)->windows) {
            if (window.title == title)
                return window.token;
        }
        return 0;
    });
}

QStringList ids(int from, int count)
{
    QStringList result;
    for (int i = from; i < from + count; ++i)
        result << QStringLiteral("cg-%1").arg(i);
    return result;
}

} // namespace

class TestRecentWindowTracker : public QObject {
    Q_OBJECT
private slots:
    void bumpMovesToFront()
    {
        SimPlatform sim;
        RecentWindowTracker tracker(sim.platform());
        for (const QString& id : ids(0, 20))
            tracker.bump(id);
        // Most recent first: cg-19 ... cg-0; cg-9 stands at position 10.
        QCOMPARE(tracker.order().at(10), QStringLiteral("cg-9"));
        tracker.bump(QStringLiteral("cg-9"));
        QCOMPARE(tracker.order().size(), 20);
        QCOMPARE(tracker.order().first(), QStringLiteral("cg-9"));
        QCOMPARE(tracker.order().count(QStringLiteral("cg-9")), 1);
        QCOMPARE(tracker.order().at(1), QStringLiteral("cg-19"));
        const QStringList before = tracker.order();
        tracker.bump(QStringLiteral("cg-9"));
        QCOMPARE(tracker.order(), before);
    }

    void keepsAtMost64()
    {
        SimPlatform sim;
        RecentWindowTracker tracker(sim.platform());
        for (const QString& id : ids(0, 64))
            tracker.bump(id);
        QCOMPARE(tracker.order().size(), 64);
        QCOMPARE(tracker.order().last(), QStringLiteral("cg-0"));
        tracker.bump(QStringLiteral("ax-1-Notes-0-0"));
        QCOMPARE(tracker.order().size(), 64);
        QCOMPARE(tracker.order().first(), QStringLiteral("ax-1-Notes-0-0"));
        QCOMPARE(tracker.order().last(), QStringLiteral("cg-1"));
        for (const QString& id : ids(100, 200))
            tracker.bump(id);
        QCOMPARE(tracker.order().size(), 64);
    }

    // Focus changes of observed apps reach the order only for windows the
    // window server knows by number.
    void focusNotifications_data()
    {
        QTest::addColumn<bool>("callFails");
        QTest::addColumn<bool>("callAvailable");
        QTest::addColumn<bool>("bumped");
        QTest::newRow("window with number") << false << true << true;
        QTest::newRow("number call answers 0") << true << true << false;
        QTest::newRow("number call unavailable") << false << false << false;
    }

    void focusNotifications()
    {
        QFETCH(bool, callFails);
        QFETCH(bool, callAvailable);
        QFETCH(bool, bumped);
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::safari, 501)
                            .window("Inbox")
                            .windowNumber(88)
                            .windowNumberCallFails(callFails)
                            .window("Notes")
                            .windowNumber(89)
                            .windowNumberCallAvailable(callAvailable)
                            .launch(Browser::chrome, 600)
                            .window("Chrome")
                            .windowNumber(90)
                            .build());
        RecentWindowTracker tracker(sim.platform());
        tracker.ensureObserving({Browser::safari});
        sim.host.focusWindow(501, windowToken(sim, 501, "Inbox"));
        // Chrome is not observed: its focus change must not count.
        sim.host.focusWindow(600, windowToken(sim, 600, "Chrome"));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(tracker.order(), bumped ? QStringList{"cg-88"} : QStringList{});
    }

    void observesRunningInstances()
    {
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::safari, 501)
                            .window("A")
                            .launch(Browser::safari, 502)
                            .window("B")
                            .launch(Browser::chrome, 600)
                            .window("C")
                            .build());
        RecentWindowTracker tracker(sim.platform());
        tracker.ensureObserving({Browser::firefox});
        QVERIFY(tracker.observedProcesses().isEmpty());

        tracker.ensureObserving({Browser::safari, Browser::chrome});
        tracker.ensureObserving({Browser::safari, Browser::chrome});
        QCOMPARE(tracker.observedProcesses(), (QList<pid_t>{501, 502, 600}));
        for (pid_t pid : {501, 502, 600})
            QCOMPARE(sim.control.focusListenerCount(pid), 1);

        // Safari 502 quits, Chrome is no longer asked for.
        sim.host.modify([](SimModel& model) { model.instances.removeAt(1); });
        tracker.ensureObserving({Browser::safari});
        QCOMPARE(tracker.observedProcesses(), (QList<pid_t>{501}));
        QCOMPARE(sim.control.focusListenerCount(502), 0);
        QCOMPARE(sim.control.focusListenerCount(600), 0);

        tracker.ensureObserving({});
        QVERIFY(tracker.observedProcesses().isEmpty());
        QCOMPARE(sim.control.focusListenerCount(501), 0);
    }

    void failedObserverIsRetried()
    {
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::safari, 501)
                            .observerCreationFails()
                            .window("Inbox")
                            .windowNumber(88)
                            .build());
        RecentWindowTracker tracker(sim.platform());
        tracker.ensureObserving({Browser::safari});
        QVERIFY(tracker.observedProcesses().isEmpty());
        sim.host.modify([](SimModel& model) {
            model.instances[0].accessibility.observerCreationFails = false;
        });
        tracker.ensureObserving({Browser::safari});
        QCOMPARE(tracker.observedProcesses(), (QList<pid_t>{501}));
        sim.host.focusWindow(501, windowToken(sim, 501, "Inbox"));
        QTRY_COMPARE(tracker.order(), QStringList{"cg-88"});
    }

    // Both requests the tracker makes on the main thread, registering with a
    // new process and asking a focused window's number, cost a hung app one
    // short time-out instead of the host's default of seconds.
    void hungAppCostsOneShortTimeOut()
    {
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::safari, 501)
                            .window("Inbox")
                            .windowNumber(88)
                            .launch(Browser::safari, 502)
                            .accessibilityHung()
                            .window("Hung")
                            .windowNumber(89)
                            .build());
        RecentWindowTracker tracker(sim.platform());
        QElapsedTimer timer;
        timer.start();
        tracker.ensureObserving({Browser::safari});
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(tracker.observedProcesses(), (QList<pid_t>{501, 502}));

        sim.host.modify([](SimModel& model) { model.instances[0].accessibility.hung = true; });
        sim.host.focusWindow(501, windowToken(sim, 501, "Inbox"));
        timer.restart();
        QCoreApplication::processEvents();
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(tracker.order().isEmpty());
    }

    // A focus change already queued when the tracker goes away must not reach it.
    void destroyedTrackerGetsNothing()
    {
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::safari, 501)
                            .window("Inbox")
                            .windowNumber(88)
                            .build());
        {
            RecentWindowTracker tracker(sim.platform());
            tracker.ensureObserving({Browser::safari});
            sim.host.focusWindow(501, windowToken(sim, 501, "Inbox"));
        }
        QCOMPARE(sim.control.focusListenerCount(501), 0);
        QCoreApplication::processEvents(); // would be a use after free under ASan
    }
};

QTEST_GUILESS_MAIN(TestRecentWindowTracker)
#include "tst_RecentWindowTracker.moc"

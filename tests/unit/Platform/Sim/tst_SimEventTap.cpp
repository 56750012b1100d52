// CTest labels: threads
#include "Platform/KeyCode.h"
#include "Platform/Sim/SimKeyMapping.h"
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"

#include <QTest>
#include <QThread>

#include <atomic>
#include <thread>

namespace {

// A tap that records the key codes it sees under its name and consumes or not.
std::unique_ptr<EventTapPort> recordingTap(SimEventTap& facility, QStringList& seen,
                                           const QString& name, bool consume)
{
    auto port = facility.createTap([&seen, name, consume](const KeyEvent& event) {
        seen << QStringLiteral("%1:%2").arg(name).arg(quint32(event.type) < 100 ? int(event.keyCode)
                                                                                : -1);
        return consume;
    });
    if (port)
        port->addToRunLoop();
    return port;
}

} // namespace

class TestSimEventTap : public QObject {
    Q_OBJECT
private slots:
    void creationNeedsAccessibility()
    {
        SimPlatform sim(SimScenarioBuilder().trusted(false).build());
        QStringList seen;
        QVERIFY(!recordingTap(sim.eventTap, seen, "t", true));
        sim.host.modify([](SimModel& model) { model.accessibilityTrusted = true; });
        QVERIFY(recordingTap(sim.eventTap, seen, "t", true));
    }

    void deliveryHeadFirst()
    {
        SimPlatform sim;
        QStringList seen;
        const auto older = recordingTap(sim.eventTap, seen, "older", true);
        auto newer = recordingTap(sim.eventTap, seen, "newer", false);
        QVERIFY(older->isEnabled());

        QVERIFY(sim.control.injectKey(SimKeyMapping::keyDown(KeyCode::a)));
        QCOMPARE(seen, QStringList({"newer:0", "older:0"}));

        // Key-ups are outside every keyboard tap's mask.
        seen.clear();
        KeyEvent up = SimKeyMapping::keyDown(KeyCode::a);
        up.type = CGEventType::keyUp;
        QVERIFY(!sim.control.injectKey(up));
        QVERIFY(seen.isEmpty());

        // Disabled, off the run loop or gone: no delivery.
        older->setEnabled(false);
        QVERIFY(!sim.control.injectKey(SimKeyMapping::flagsChanged(KeyCode::shift, 0)));
        QCOMPARE(seen, QStringList{"newer:56"});
        newer.reset();
        QCOMPARE(sim.control.tapCount(), 1);
        const auto idle = sim.eventTap.createTap([](const KeyEvent&) { return true; });
        QCOMPARE(sim.control.tapCount(), 2);
        QCOMPARE(sim.control.listeningTapCount(), 0);
        QVERIFY(!sim.control.injectKey(SimKeyMapping::keyDown(KeyCode::b)));
    }

    void disableTapsNotifies()
    {
        SimPlatform sim;
        QStringList seen;
        const auto first = recordingTap(sim.eventTap, seen, "first", false);
        const auto second = recordingTap(sim.eventTap, seen, "second", false);
        second->setEnabled(false); // already off: not told again
        sim.control.disableTaps(CGEventType::tapDisabledByTimeout);
        QCOMPARE(seen, QStringList{"first:-1"});
        QVERIFY(!first->isEnabled());
        QCOMPARE(sim.control.listeningTapCount(), 0);
    }

    void injectFromAnotherThread()
    {
        SimPlatform sim;
        QThread* callbackThread = nullptr;
        const auto port = sim.eventTap.createTap([&](const KeyEvent& event) {
            callbackThread = QThread::currentThread();
            return event.keyCode == KeyCode::tab;
        });
        port->addToRunLoop();

        std::atomic<int> result{-1};
        std::thread worker(
            [&] { result = sim.control.injectKey(SimKeyMapping::keyDown(KeyCode::tab)) ? 1 : 0; });
        QTRY_VERIFY(result != -1);
        worker.join();
        QCOMPARE(result.load(), 1);
        QCOMPARE(callbackThread, QThread::currentThread());
    }
};

QTEST_GUILESS_MAIN(TestSimEventTap)
#include "tst_SimEventTap.moc"

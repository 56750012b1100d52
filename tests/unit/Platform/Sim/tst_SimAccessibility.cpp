// CTest labels: threads
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <thread>

namespace {

AXElement windowElement(const SimPlatform& sim, pid_t pid, int index)
{
    AXValue windows;
    sim.accessibility.copyAttributeValue(sim.accessibility.createApplication(pid),
                                         AXAttribute::windows, windows);
    return std::get<QList<AXElement>>(windows).at(index);
}

QList<AXElement> childElements(const SimPlatform& sim, const AXElement& element)
{
    AXValue value;
    if (sim.accessibility.copyAttributeValue(element, AXAttribute::children, value) !=
        AXError::Success)
        return {};
    return std::get<QList<AXElement>>(value);
}

QString title(const SimPlatform& sim, const AXElement& element)
{
    AXValue value;
    sim.accessibility.copyAttributeValue(element, AXAttribute::title, value);
    return std::get<QString>(value);
}

QStringList windowTitles(const SimPlatform& sim, pid_t pid)
{
    return sim.host.read([&](const SimModel& model) {
        QStringList titles;
        for (const SimWindow& window : model.instance(pid)->windows)
            titles << window.title;
        return titles;
    });
}

} // namespace

class TestSimAccessibility : public QObject {
    Q_OBJECT
private slots:
    // A request never waits longer than the element's time-out (6 s when 0).
    void messagingTimeout_data()
    {
        QTest::addColumn<double>("delay");
        QTest::addColumn<bool>("hung");
        QTest::addColumn<double>("timeout");
        QTest::addColumn<AXError>("expected");
        QTest::addColumn<int>("minimumMs");
        QTest::newRow("hung") << 0.0 << true << 0.2 << AXError::CannotComplete << 200;
        QTest::newRow("slower than time-out")
            << 30.0 << false << 0.2 << AXError::CannotComplete << 200;
        QTest::newRow("slow within time-out") << 0.1 << false << 1.0 << AXError::Success << 100;
        QTest::newRow("default time-out is seconds")
            << 0.5 << false << 0.0 << AXError::Success << 500;
    }

    void messagingTimeout()
    {
        QFETCH(double, delay);
        QFETCH(bool, hung);
        QFETCH(double, timeout);
        QFETCH(AXError, expected);
        QFETCH(int, minimumMs);
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::safari, 501)
                            .accessibilityDelay(delay)
                            .accessibilityHung(hung)
                            .window("Inbox")
                            .build());
        AXElement app = sim.accessibility.createApplication(501);
        QCOMPARE(sim.accessibility.setMessagingTimeout(app, timeout), AXError::Success);
        QElapsedTimer timer;
        timer.start();
        AXValue value;
        QCOMPARE(sim.accessibility.copyAttributeValue(app, AXAttribute::windows, value), expected);
        QVERIFY(timer.elapsed() >= minimumMs);
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));

        // Registering for notifications asks the app too.
        std::unique_ptr<AXObserver> observer;
        QCOMPARE(sim.accessibility.createObserver(501, {}, observer), AXError::Success);
        timer.restart();
        QCOMPARE(observer->addNotification(app, AXNotification::focusedWindowChanged), expected);
        QVERIFY(timer.elapsed() >= minimumMs);
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
    }

    // Another thread waiting on a hung app must not stall requests to others.
    void waitDoesNotHoldTheHost()
    {
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::safari, 501)
                            .accessibilityHung()
                            .window("Hung")
                            .launch(Browser::chrome, 600)
                            .window("Fine")
                            .build());
        std::thread waiter([&] {
            AXElement app = sim.accessibility.createApplication(501);
            sim.accessibility.setMessagingTimeout(app, 1.5);
            AXValue value;
            sim.accessibility.copyAttributeValue(app, AXAttribute::windows, value);
        });
        QThread::msleep(50);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(title(sim, windowElement(sim, 600, 0)), QStringLiteral("Fine"));
        sim.host.modify([](SimModel& model) { model.pointer = {1, 1}; });
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        waiter.join();
    }

    void unreachableElements()
    {
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::safari, 501)
                            .window("Visible")
                            .windowNumber(88)
                            .window("Other Space")
                            .onlyScripting()
                            .build());
        const quint64 hiddenToken = sim.host.read(
            [](const SimModel& model) { return model.instances[0].windows[1].token; });
        const AXElement visible = windowElement(sim, 501, 0);
        AXValue windows;
        sim.accessibility.copyAttributeValue(sim.accessibility.createApplication(501),
                                             AXAttribute::windows, windows);
        QCOMPARE(std::get<QList<AXElement>>(windows).size(), 1);
        AXValue value;
        QCOMPARE(sim.accessibility.copyAttributeValue(AXElement{501, hiddenToken, 0},
                                                      AXAttribute::title, value),
                 AXError::InvalidElement);

        // The window closes: its element goes stale; the app quits: so does the app's.
        sim.host.modify([](SimModel& model) { model.instances[0].windows.removeFirst(); });
        QCOMPARE(sim.accessibility.copyAttributeValue(visible, AXAttribute::title, value),
                 AXError::InvalidElement);
        quint32 number = 1;
        QCOMPARE(sim.accessibility.windowNumber(visible, number), AXError::InvalidElement);
        sim.host.modify([](SimModel& model) { model.instances.clear(); });
        QCOMPARE(sim.accessibility.copyAttributeValue(sim.accessibility.createApplication(501),
                                                      AXAttribute::windows, value),
                 AXError::InvalidElement);
    }

    void untrustedFailsEverything()
    {
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::safari, 501)
                            .window("Inbox")
                            .windowNumber(88)
                            .build());
        const AXElement window = windowElement(sim, 501, 0);
        sim.host.modify([](SimModel& model) { model.accessibilityTrusted = false; });
        AXValue value;
        quint32 number = 0;
        std::unique_ptr<AXObserver> observer;
        QCOMPARE(sim.accessibility.copyAttributeValue(window, AXAttribute::title, value),
                 AXError::APIDisabled);
        QCOMPARE(sim.accessibility.setAttributeValue(window, AXAttribute::main, true),
                 AXError::APIDisabled);
        QCOMPARE(sim.accessibility.performAction(window, AXAction::raise), AXError::APIDisabled);
        QCOMPARE(sim.accessibility.windowNumber(window, number), AXError::APIDisabled);
        QCOMPARE(sim.accessibility.createObserver(501, {}, observer), AXError::APIDisabled);
        QVERIFY(!observer);
    }

    void writesAndActionsChangeTheModel()
    {
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::safari, 501)
                            .window("Front")
                            .window("Back")
                            .minimized()
                            .window("Third")
                            .build());
        const AXElement back = windowElement(sim, 501, 1);
        QCOMPARE(sim.accessibility.setAttributeValue(back, AXAttribute::minimized, 1.0),
                 AXError::IllegalArgument);
        QCOMPARE(sim.accessibility.setAttributeValue(back, AXAttribute::minimized, false),
                 AXError::Success);
        QCOMPARE(sim.accessibility.setAttributeValue(back, AXAttribute::main, true),
                 AXError::Success);
        QCOMPARE(windowTitles(sim, 501), (QStringList{"Back", "Front", "Third"}));
        AXValue value;
        sim.accessibility.copyAttributeValue(back, AXAttribute::minimized, value);
        QCOMPARE(std::get<bool>(value), false);
        sim.accessibility.copyAttributeValue(back, AXAttribute::main, value);
        QCOMPARE(std::get<bool>(value), true);

        const AXElement third = windowElement(sim, 501, 2);
        QCOMPARE(sim.accessibility.performAction(third, AXAction::raise), AXError::Success);
        QCOMPARE(windowTitles(sim, 501), (QStringList{"Third", "Back", "Front"}));
        QCOMPARE(sim.accessibility.performAction(third, AXAction::press),
                 AXError::ActionUnsupported);
    }

    // The menu bar reads as on the host: item, its menu, the menu's entries.
    void menuWalk()
    {
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::acrobat, 700)
                            .window("a.pdf")
                            .window("b.pdf")
                            .documents({"a.pdf", "b.pdf"}, QStringLiteral("a.pdf"))
                            .menu("File", {"Open"})
                            .menu("Window", {"Tile", "", "a.pdf", "b.pdf"})
                            .build());
        sim.control.setRecording(true);
        AXValue value;
        QCOMPARE(sim.accessibility.copyAttributeValue(sim.accessibility.createApplication(700),
                                                      AXAttribute::menuBar, value),
                 AXError::Success);
        const QList<AXElement> items = childElements(sim, std::get<AXElement>(value));
        QCOMPARE(items.size(), 2);
        const AXElement windowItem = items[1];
        QCOMPARE(title(sim, windowItem), QStringLiteral("Window"));
        const QList<AXElement> menu = childElements(sim, windowItem);
        QCOMPARE(menu.size(), 1);
        const QList<AXElement> entries = childElements(sim, menu[0]);
        QStringList titles;
        for (const AXElement& entry : entries)
            titles << title(sim, entry);
        QCOMPARE(titles, (QStringList{"Tile", "", "a.pdf", "b.pdf"}));

        QCOMPARE(sim.accessibility.performAction(windowItem, AXAction::press), AXError::Success);
        QCOMPARE(sim.accessibility.performAction(entries[3], AXAction::press), AXError::Success);
        QCOMPARE(sim.accessibility.performAction(windowItem, AXAction::cancel), AXError::Success);
        QCOMPARE(sim.control.menuActions(700),
                 (QStringList{"AXPress Window", "AXPress b.pdf", "AXCancel Window"}));
        QCOMPARE(sim.host.read([](const SimModel& m) { return m.instances[0].activeDocument; }),
                 std::optional<QString>(QStringLiteral("b.pdf")));
        QCOMPARE(windowTitles(sim, 700).first(), QStringLiteral("b.pdf"));
    }

    void windowNumberCall()
    {
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::safari, 501)
                            .window("Numbered")
                            .windowNumber(88)
                            .window("Answers zero")
                            .windowNumber(89)
                            .windowNumberCallFails()
                            .window("Not listed by the window server")
                            .build());
        quint32 number = 1;
        QCOMPARE(sim.accessibility.windowNumber(windowElement(sim, 501, 0), number),
                 AXError::Success);
        QCOMPARE(number, 88u);
        for (int index : {1, 2}) {
            number = 1;
            QCOMPARE(sim.accessibility.windowNumber(windowElement(sim, 501, index), number),
                     AXError::Success);
            QCOMPARE(number, 0u);
        }
        QCOMPARE(sim.accessibility.windowNumber(sim.accessibility.createApplication(501), number),
                 AXError::IllegalArgument);
        sim.host.modify([](SimModel& model) { model.windowNumberCallAvailable = false; });
        QCOMPARE(sim.accessibility.windowNumber(windowElement(sim, 501, 0), number),
                 AXError::NotImplemented);
    }

    // Delivery needs both the notification and the schedule, and stops at once
    // when either goes, even for a change already queued.
    void observerDelivery()
    {
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::safari, 501)
                            .window("Front")
                            .window("Back")
                            .build());
        const AXElement back = windowElement(sim, 501, 1);
        QList<AXElement> seen;
        QList<bool> onMainThread;
        std::unique_ptr<AXObserver> observer;
        QCOMPARE(sim.accessibility.createObserver(
                     501,
                     [&](const AXElement& element, const QString& notification) {
                         QCOMPARE(notification, AXNotification::focusedWindowChanged);
                         seen << element;
                         onMainThread << (QThread::currentThread() ==
                                          QCoreApplication::instance()->thread());
                     },
                     observer),
                 AXError::Success);
        const AXElement app = sim.accessibility.createApplication(501);
        QCOMPARE(observer->addNotification(app, AXNotification::focusedWindowChanged),
                 AXError::Success);
        QCOMPARE(sim.control.focusListenerCount(501), 0); // not scheduled yet
        observer->setScheduled(true);
        QCOMPARE(sim.control.focusListenerCount(501), 1);

        // Focus changed from another thread still arrives on the main thread.
        std::thread([&] { sim.accessibility.performAction(back, AXAction::raise); }).join();
        QTRY_COMPARE(seen.size(), 1);
        QCOMPARE(seen[0], back);
        QCOMPARE(onMainThread, QList<bool>{true});

        sim.host.focusWindow(501, windowElement(sim, 501, 1).token);
        observer->setScheduled(false);
        QCoreApplication::processEvents();
        QCOMPARE(seen.size(), 1);

        observer->setScheduled(true);
        QCOMPARE(observer->removeNotification(app, AXNotification::focusedWindowChanged),
                 AXError::Success);
        QCOMPARE(sim.control.focusListenerCount(501), 0);
        QCOMPARE(observer->addNotification(app, AXNotification::focusedWindowChanged),
                 AXError::Success);
        sim.host.focusWindow(501, windowElement(sim, 501, 1).token);
        observer.reset();
        QCOMPARE(sim.control.focusListenerCount(501), 0);
        QCoreApplication::processEvents();
        QCOMPARE(seen.size(), 1);

        sim.host.modify(
            [](SimModel& model) { model.instances[0].accessibility.observerCreationFails = true; });
        QCOMPARE(sim.accessibility.createObserver(501, {}, observer), AXError::Failure);
        QVERIFY(!observer);
    }

    void windowServerList()
    {
        SimPlatform sim(SimScenarioBuilder()
                            .windowRecord({{WindowInfoKey::ownerPID, 1}})
                            .launch(Browser::safari, 501)
                            .window("Safari", QRectF(1, 2, 3, 4))
                            .windowNumber(10)
                            .window("Minimized")
                            .windowNumber(11)
                            .minimized()
                            .window("No number")
                            .launch(Browser::chrome, 600)
                            .window("Chrome")
                            .windowNumber(20)
                            .frontmost(600)
                            .build());
        const auto numbers = [&](WindowServer::ListOption option, quint32 relativeTo) {
            QList<QVariant> result;
            const QVariantList list = *sim.windowServer.copyWindowInfo(option, relativeTo);
            for (const QVariant& entry : list)
                result << entry.toMap().value(WindowInfoKey::number);
            return result;
        };
        // Extra records first, then the frontmost app, then launch order.
        QCOMPARE(numbers(WindowServer::ListOption::All, 0), (QList<QVariant>{{}, 20u, 10u, 11u}));
        QCOMPARE(numbers(WindowServer::ListOption::OnScreenOnly, 0),
                 (QList<QVariant>{{}, 20u, 10u}));
        QCOMPARE(numbers(WindowServer::ListOption::IncludingWindow, 10), (QList<QVariant>{10u}));

        const QVariantMap safari =
            sim.windowServer.copyWindowInfo(WindowServer::ListOption::IncludingWindow, 10)
                ->first()
                .toMap();
        QCOMPARE(safari.value(WindowInfoKey::ownerPID), QVariant(501));
        QCOMPARE(safari.value(WindowInfoKey::layer), QVariant(0));
        QCOMPARE(safari.value(WindowInfoKey::name), QVariant(QStringLiteral("Safari")));
        QCOMPARE(safari.value(WindowInfoKey::bounds).toMap(),
                 (QVariantMap{{"X", 1.0}, {"Y", 2.0}, {"Width", 3.0}, {"Height", 4.0}}));
        sim.host.modify([](SimModel& model) { model.screenRecordingGranted = false; });
        QVERIFY(!sim.windowServer.copyWindowInfo(WindowServer::ListOption::IncludingWindow, 10)
                     ->first()
                     .toMap()
                     .contains(WindowInfoKey::name));
    }
};

QTEST_GUILESS_MAIN(TestSimAccessibility)
#include "tst_SimAccessibility.moc"

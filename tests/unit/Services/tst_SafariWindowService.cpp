// CTest labels: threads
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Services/SafariWindowService.h"

#include <QElapsedTimer>
#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr pid_t safariPid = 501;

QVariantMap record(QVariant pid, QVariant number, QVariant bounds, QVariant layer = 0)
{
    QVariantMap map;
    if (pid.isValid())
        map.insert(WindowInfoKey::ownerPID, pid);
    if (number.isValid())
        map.insert(WindowInfoKey::number, number);
    if (bounds.isValid())
        map.insert(WindowInfoKey::bounds, bounds);
    if (layer.isValid())
        map.insert(WindowInfoKey::layer, layer);
    return map;
}

QVariantMap bounds(double x, double y, double width, double height)
{
    return {{QStringLiteral("X"), x},
            {QStringLiteral("Y"), y},
            {QStringLiteral("Width"), width},
            {QStringLiteral("Height"), height}};
}

QList<quint32> ids(const QList<CGWindowRecord>& records)
{
    QList<quint32> result;
    for (const CGWindowRecord& record : records)
        result << record.id;
    return result;
}

} // namespace

class TestSafariWindowService : public QObject {
    Q_OBJECT
private slots:
    void nothingToList_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<bool>("windowsReadable");
        QTest::newRow("not running") << false << true << true;
        QTest::newRow("not trusted") << true << false << true;
        QTest::newRow("window list unreadable") << true << true << false;
    }

    void nothingToList()
    {
        QFETCH(bool, running);
        QFETCH(bool, trusted);
        QFETCH(bool, windowsReadable);
        SimScenarioBuilder builder;
        builder.launch(Browser::chrome, 400).window("Other app").windowNumber(4);
        if (running) {
            builder.launch(Browser::safari, safariPid)
                .windowsUnreadable(!windowsReadable)
                .window("Inbox")
                .windowNumber(88);
        }
        SimPlatform sim(builder.trusted(trusted).build());
        SafariWindowService service(sim.platform());
        QVERIFY(service.discoverWindows(Browser::safari).isEmpty());
    }

    // Which windows are switchable: visible standard titled ones, and every
    // minimized one whatever its subrole or title.
    void keepsSwitchableWindows_data()
    {
        QTest::addColumn<bool>("minimized");
        QTest::addColumn<QString>("subrole"); // empty: unreadable
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("listed");
        const QString dialog = QStringLiteral("AXDialog");
        const QString standard = AXSubrole::standardWindow;
        QTest::newRow("visible standard") << false << standard << "Inbox" << true;
        QTest::newRow("visible dialog") << false << dialog << "Save" << false;
        QTest::newRow("visible floating") << false << "AXFloatingWindow"
                                          << "Tools" << false;
        QTest::newRow("visible untitled") << false << standard << "" << false;
        QTest::newRow("visible, subrole unreadable") << false << ""
                                                     << "Inbox" << true;
        QTest::newRow("minimized untitled dialog") << true << dialog << "" << true;
        QTest::newRow("minimized standard") << true << standard << "Inbox" << true;
    }

    void keepsSwitchableWindows()
    {
        QFETCH(bool, minimized);
        QFETCH(QString, subrole);
        QFETCH(QString, title);
        QFETCH(bool, listed);
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::safari, safariPid)
                            .window(title)
                            .minimized(minimized)
                            .subrole(subrole)
                            .build());
        const QList<SafariWindow> windows =
            SafariWindowService(sim.platform()).discoverWindows(Browser::safari);
        QCOMPARE(windows.size(), listed ? 1 : 0);
        if (listed) {
            QCOMPARE(windows[0].title, title);
            QCOMPARE(windows[0].isMinimized, minimized);
        }
    }

    // Apps answer with values of unexpected kinds; each takes its fallback.
    void attributesOfTheWrongKind()
    {
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::safari, safariPid)
                            // Minimized given as a number, with a dialog subrole: kept.
                            .window("", QRectF(10, 20, 300, 200))
                            .subrole("AXDialog")
                            .attribute(AXAttribute::minimized, 1.0)
                            // Subrole of another kind counts as absent: kept.
                            .window("Subrole is a number")
                            .attribute(AXAttribute::subrole, 3.0)
                            // Title of another kind is "": a visible window is dropped.
                            .window("ignored")
                            .attribute(AXAttribute::title, true)
                            // Position unreadable, size of another kind: zero parts.
                            .window("Frame", QRectF(50, 60, 700, 500))
                            .attributeError(AXAttribute::position, AXError::CannotComplete)
                            .attribute(AXAttribute::size, QPointF(1, 1))
                            // Minimized of another kind counts as not minimized.
                            .window("")
                            .attribute(AXAttribute::minimized, QStringLiteral("yes"))
                            .build());
        const QList<SafariWindow> windows =
            SafariWindowService(sim.platform()).discoverWindows(Browser::safari);
        QCOMPARE(windows.size(), 3);
        QVERIFY(windows[0].isMinimized);
        QCOMPARE(windows[0].frame, QRectF(10, 20, 300, 200));
        QCOMPARE(windows[1].title, QStringLiteral("Subrole is a number"));
        QCOMPARE(windows[2].title, QStringLiteral("Frame"));
        QCOMPARE(windows[2].frame, QRectF());
    }

    void buildsRecords()
    {
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::safari, safariPid)
                            .window("Inbox", QRectF(0, 25, 1200, 800))
                            .windowNumber(88)
                            .window("Notes", QRectF(40, 60, 600, 400))
                            .minimized()
                            .build());
        const QList<SafariWindow> windows =
            SafariWindowService(sim.platform()).discoverWindows(Browser::safari);
        QCOMPARE(windows.size(), 2);
        const SafariWindow& inbox = windows[0];
        QCOMPARE(inbox.browser, Browser::safari);
        QCOMPARE(inbox.pid, safariPid);
        QCOMPARE(inbox.windowID, std::optional<quint32>(88));
        QCOMPARE(inbox.title, QStringLiteral("Inbox"));
        QCOMPARE(inbox.frame, QRectF(0, 25, 1200, 800));
        QVERIFY(!inbox.isMinimized);
        QVERIFY(!inbox.scriptWindowID && !inbox.tabURL && !inbox.tabCount);
        QCOMPARE(inbox.id(), QStringLiteral("cg-88"));
        // The element still reaches the window.
        QVERIFY(inbox.axElement);
        AXValue title;
        QCOMPARE(sim.accessibility.copyAttributeValue(*inbox.axElement, AXAttribute::title, title),
                 AXError::Success);
        QCOMPARE(std::get<QString>(title), QStringLiteral("Inbox"));
        // No window-server record at all: no id, identity by title and origin.
        QVERIFY(windows[1].isMinimized);
        QVERIFY(!windows[1].windowID);
        QCOMPARE(windows[1].id(), QStringLiteral("ax-501-Notes-40-60"));
    }

    void instancesInLaunchOrder()
    {
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::safari, 502)
                            .window("B1")
                            .window("B2")
                            .launch(Browser::chrome, 600)
                            .window("Chrome")
                            .launch(Browser::safari, 501)
                            .window("A1")
                            .build());
        const QList<SafariWindow> windows =
            SafariWindowService(sim.platform()).discoverWindows(Browser::safari);
        QStringList titles;
        QList<pid_t> pids;
        for (const SafariWindow& window : windows) {
            titles << window.title;
            pids << window.pid;
        }
        QCOMPARE(titles, (QStringList{"B1", "B2", "A1"}));
        QCOMPARE(pids, (QList<pid_t>{502, 502, 501}));
    }

    // A window without a direct number takes the first record of its own
    // process on layer 0 whose bounds all lie strictly within 2 points.
    void boundsMatch_data()
    {
        QTest::addColumn<QVariantList>("records");
        QTest::addColumn<bool>("callAvailable");
        QTest::addColumn<std::optional<quint32>>("expected");
        const std::optional<quint32> none;
        QTest::newRow("within tolerance")
            << QVariantList{record(safariPid, 7u, bounds(101.5, 99, 801.9, 598.1))} << true
            << std::optional<quint32>(7);
        QTest::newRow("call unavailable")
            << QVariantList{record(safariPid, 7u, bounds(100, 100, 800, 600))} << false
            << std::optional<quint32>(7);
        QTest::newRow("exactly 2 points off")
            << QVariantList{record(safariPid, 7u, bounds(102, 100, 800, 600))} << true << none;
        QTest::newRow("height 2 points off")
            << QVariantList{record(safariPid, 7u, bounds(100, 100, 800, 602))} << true << none;
        QTest::newRow("first in window-server order wins")
            << QVariantList{record(safariPid, 9u, bounds(100.5, 100, 800, 600)),
                            record(safariPid, 7u, bounds(100, 100, 800, 600))}
            << true << std::optional<quint32>(9);
        QTest::newRow("other process")
            << QVariantList{record(777, 7u, bounds(100, 100, 800, 600))} << true << none;
        QTest::newRow("other layer")
            << QVariantList{record(safariPid, 7u, bounds(100, 100, 800, 600), 3)} << true << none;
        QTest::newRow("no bounds") << QVariantList{record(safariPid, 7u, {})} << true << none;
        QTest::newRow("other process first, then own")
            << QVariantList{record(777, 5u, bounds(100, 100, 800, 600)),
                            record(safariPid, 7u, bounds(100, 100, 800, 600))}
            << true << std::optional<quint32>(7);
        QTest::newRow("no records") << QVariantList{} << true << none;
    }

    void boundsMatch()
    {
        QFETCH(QVariantList, records);
        QFETCH(bool, callAvailable);
        QFETCH(std::optional<quint32>, expected);
        SimScenarioBuilder builder;
        builder.launch(Browser::safari, safariPid)
            .window("Inbox", QRectF(100, 100, 800, 600))
            .windowNumberCallFails()
            .windowNumberCallAvailable(callAvailable)
            .screenRecording(false);
        for (const QVariant& entry : records)
            builder.windowRecord(entry.toMap());
        SimPlatform sim(builder.build());
        const QList<SafariWindow> windows =
            SafariWindowService(sim.platform()).discoverWindows(Browser::safari);
        QCOMPARE(windows.size(), 1);
        QCOMPARE(windows[0].windowID, expected);
    }

    void windowServerRecords()
    {
        SimPlatform sim(SimScenarioBuilder()
                            .windowRecord(record(safariPid, 1u, bounds(1, 2, 3, 4)))
                            .windowRecord(record(QStringLiteral("501"), 2u, bounds(0, 0, 1, 1)))
                            .windowRecord(record(safariPid, -3, bounds(0, 0, 1, 1)))
                            .windowRecord(record(safariPid, qlonglong(1) << 33, bounds(0, 0, 1, 1)))
                            .windowRecord(record(safariPid, {}, bounds(0, 0, 1, 1)))
                            .windowRecord(record(safariPid, 6u, QVariantMap{{"X", "wide"}}))
                            .windowRecord(record(safariPid, 7u, QVariantMap{{"Width", 640.0}}))
                            .windowRecord(record(safariPid, 8u, bounds(0, 0, 1, 1), {}))
                            .windowRecord(record(safariPid, 9.0, bounds(0, 0, 1, 1)))
                            .launch(Browser::safari, safariPid)
                            .window("Inbox", QRectF(10, 20, 30, 40))
                            .windowNumber(88)
                            .window("Panel")
                            .windowNumber(89)
                            .layer(8)
                            .build());
        SafariWindowService service(sim.platform());
        const QList<CGWindowRecord> records = service.cgWindowInfo(safariPid);
        QCOMPARE(ids(records), (QList<quint32>{1, 7, 9, 88}));
        QCOMPARE(records[0].bounds, QRectF(1, 2, 3, 4));
        QCOMPARE(records[1].bounds, QRectF(0, 0, 640, 0));
        QVERIFY(!records[0].name);
        QCOMPARE(records[3].name, std::optional<QString>(QStringLiteral("Inbox")));
        QCOMPARE(records[3].bounds, QRectF(10, 20, 30, 40));

        // Titles are withheld without Screen Recording; the records remain.
        sim.host.modify([](SimModel& model) { model.screenRecordingGranted = false; });
        QCOMPARE(service.cgWindowInfo(safariPid).last().name, std::nullopt);
        QCOMPARE(service.cgWindowInfo(safariPid).size(), 4);

        // An entry that is not a dictionary makes the whole list unreadable.
        sim.host.modify([](SimModel& model) { model.extraWindowRecords << QStringLiteral("?"); });
        QVERIFY(service.cgWindowInfo(safariPid).isEmpty());
    }

    // The overlay re-lists on background threads while the main thread's
    // focus changes reorder windows and apps open and close them.
    void listsWhileTheDesktopChanges()
    {
        SimScenarioBuilder builder;
        for (pid_t pid : {501, 502}) {
            builder.launch(Browser::safari, pid);
            for (int index = 0; index < 5; ++index)
                builder.window(QStringLiteral("W%1").arg(index), QRectF(index * 50, 0, 400, 300))
                    .windowNumber(quint32(pid * 10 + index))
                    .windowNumberCallFails(index % 2 == 0);
        }
        SimPlatform sim(builder.build());
        const SafariWindowService service(sim.platform());
        std::atomic<bool> stop = false;
        std::atomic<int> listings = 0;
        std::atomic<int> wrongListings = 0;
        std::vector<std::thread> listers;
        for (int thread = 0; thread < 3; ++thread) {
            listers.emplace_back([&] {
                while (!stop) {
                    const QList<SafariWindow> windows = service.discoverWindows(Browser::safari);
                    for (const SafariWindow& window : windows) {
                        if (window.pid != 501 && window.pid != 502)
                            ++wrongListings;
                    }
                    // Five or six windows each; one may close between the
                    // list and the reads of its attributes.
                    if (windows.size() < 9 || windows.size() > 12)
                        ++wrongListings;
                    ++listings;
                }
            });
        }
        for (int round = 0; round < 200 || listings < 100; ++round) {
            const pid_t pid = round % 2 == 0 ? 501 : 502;
            sim.host.modify([round](SimModel& model) {
                QList<SimWindow>& windows = model.instances[round % 2].windows;
                if (windows.size() > 5) {
                    windows.removeLast();
                } else {
                    windows << SimWindow();
                    windows.last().title = QStringLiteral("New");
                    windows.last().windowNumber = 9000;
                }
            });
            const quint64 token = sim.host.read([round](const SimModel& model) {
                return model.instances[round % 2].windows.at(round % 5).token;
            });
            sim.host.focusWindow(pid, token);
            QCoreApplication::processEvents();
        }
        stop = true;
        for (std::thread& lister : listers)
            lister.join();
        QCOMPARE(wrongListings.load(), 0);
    }

    // A hung instance costs one time-out on its window list; the others are
    // listed. Its hang would otherwise last the host's default of seconds.
    void hungInstanceIsSkipped()
    {
        SimPlatform sim(SimScenarioBuilder()
                            .launch(Browser::safari, 501)
                            .window("First")
                            .launch(Browser::safari, 502)
                            .accessibilityHung()
                            .window("Hung")
                            .launch(Browser::safari, 503)
                            .accessibilityDelay(0.05)
                            .window("Slow but answering")
                            .launch(Browser::safari, 504)
                            .accessibilityDelay(10)
                            .window("Too slow")
                            .build());
        QElapsedTimer timer;
        timer.start();
        const QList<SafariWindow> windows =
            SafariWindowService(sim.platform()).discoverWindows(Browser::safari);
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QStringList titles;
        for (const SafariWindow& window : windows)
            titles << window.title;
        QCOMPARE(titles, (QStringList{"First", "Slow but answering"}));
    }
};

QTEST_GUILESS_MAIN(TestSafariWindowService)
#include "tst_SafariWindowService.moc"

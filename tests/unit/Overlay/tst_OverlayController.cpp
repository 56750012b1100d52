#include "support/OverlayFixture.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

namespace {

using Overlay = OverlayFixture;

SimScenarioBuilder desktop()
{
    return OverlayFixture::desktop();
}
SimScenarioBuilder& withWindows(SimScenarioBuilder& builder, Browser app, pid_t pid,
                                const QStringList& titles, quint32 firstNumber)
{
    return OverlayFixture::withWindows(builder, app, pid, titles, firstNumber);
}
SimWindow window(const QString& title, quint32 number)
{
    return OverlayFixture::window(title, number);
}

AEDescriptor scriptEntry(const QString& id, const QString& name, const QString& url)
{
    return AEDescriptor::list({AEDescriptor::text(id), AEDescriptor::text(name),
                               AEDescriptor::text(url), AEDescriptor::integer(1),
                               AEDescriptor::boolean(false)});
}

int hueDegrees(const QColor& color)
{
    return qRound(color.hsvHueF() * 360) % 360;
}

} // namespace

class TestOverlayController : public QObject {
    Q_OBJECT
private slots:
    // ---- Showing ----

    void initialStep_data()
    {
        QTest::addColumn<int>("cards");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("selected");
        for (int step : {1, -1, 0})
            QTest::addRow("no card, step %d", step) << 0 << step << 0;
        for (int step : {1, -1, 0})
            QTest::addRow("one card, step %d", step) << 1 << step << 0;
        QTest::newRow("three cards, shortcut") << 3 << 1 << 1;
        QTest::newRow("three cards, reversed") << 3 << -1 << 2;
        QTest::newRow("three cards, menu") << 3 << 0 << 0;
    }
    void initialStep()
    {
        QFETCH(int, cards);
        QFETCH(int, step);
        QFETCH(int, selected);
        QStringList titles;
        for (int i = 0; i < cards; ++i)
            titles << QStringLiteral("Note %1").arg(i);
        SimScenarioBuilder builder = desktop();
        Overlay o(withWindows(builder, Browser::textedit, 601, titles, 100).build(),
                  {Browser::textedit});
        QSignalSpy visibility(&o.controller, &OverlayController::visibilityChanged);
        o.controller.show(step, std::nullopt);
        QCOMPARE(o.controller.windows().size(), cards);
        QCOMPARE(o.controller.selectedIndex(), selected);
        QVERIFY(o.controller.isVisible());
        QCOMPARE(visibility.size(), 1);
        QVERIFY(o.controller.panel()->isVisible());
    }

    // The first showing lists at once; the next opens from the cache with
    // last time's cards in the present order of recent use and takes its
    // step there, then the background re-listing brings in the new window
    // and keeps the selected one.
    void coldThenWarm()
    {
        SimScenarioBuilder builder = desktop();
        withWindows(builder, Browser::textedit, 601, {"A", "B", "C"}, 101);
        withWindows(builder, Browser::preview, 602, {"Photo"}, 201);
        Overlay o(builder.build(), {Browser::textedit, Browser::preview});

        o.controller.show(1, std::nullopt);
        QCOMPARE(o.titles(), (QStringList{"Photo", "A", "B", "C"}));
        const QPointer<OverlayView> firstView = o.controller.hostingView();
        o.controller.commitCard(2); // B: focused and most recent now
        QCOMPARE(o.mainWindowTitle(601), QStringLiteral("B"));
        o.changeModel([](SimModel& m) { m.instance(601)->windows.append(window("D", 104)); });

        o.controller.show(1, std::nullopt);
        QCOMPARE(o.titles(), (QStringList{"Photo", "B", "A", "C"}));
        QCOMPARE(o.selectedTitle(), QStringLiteral("B"));
        QVERIFY(o.controller.hostingView() != firstView);
        o.controller.cycle(1); // the user moves on to A before the lists arrive
        o.controller.finishBackgroundDiscovery();
        QCOMPARE(o.titles(), (QStringList{"Photo", "B", "A", "C", "D"}));
        QCOMPARE(o.selectedTitle(), QStringLiteral("A"));
        QCOMPARE(o.controller.cachedWindows(Browser::textedit).size(), 4);
    }

    // The shortcut's first press goes back to the window used before the one
    // in front, here across the grouping by app: the window in front at the
    // start counts as used, and the window in front is in the second app.
    void shortcutGoesBackToTheWindowUsedBefore()
    {
        SimScenarioBuilder builder = desktop();
        withWindows(builder, Browser::preview, 601, {"Photo", "Scan"}, 101);
        withWindows(builder, Browser::textedit, 602, {"A", "B"}, 201);
        Overlay o(builder.frontmost(601).build(), {Browser::preview, Browser::textedit});

        o.controller.show(1, std::nullopt);
        QCOMPARE(o.tracker.order(), QStringList{"cg-101"});
        QCOMPARE(o.titles(), (QStringList{"Photo", "Scan", "A", "B"}));
        QCOMPARE(o.selectedTitle(), QStringLiteral("Scan")); // nothing used but Photo
        o.controller.cycle(1);
        o.controller.commit(); // A, in front now
        QTRY_COMPARE(o.tracker.order(), (QStringList{"cg-201", "cg-101"}));

        o.controller.show(1, std::nullopt);
        QCOMPARE(o.titles(), (QStringList{"Photo", "Scan", "A", "B"}));
        QCOMPARE(o.selectedTitle(), QStringLiteral("Photo"));
    }

    // A window opened since the last listing has no card yet when it comes
    // to the front: the first step goes back to the window left for it, and
    // stays there when the re-listing brings the new window's card.
    void aNewWindowInFrontGoesBackToTheWindowLeft()
    {
        SimScenarioBuilder builder = desktop();
        withWindows(builder, Browser::textedit, 601, {"A", "B"}, 101);
        Overlay o(builder.frontmost(601).build(), {Browser::textedit});
        o.controller.show(1, std::nullopt);
        o.controller.commit(); // B
        o.changeModel([](SimModel& m) { m.instance(601)->windows.append(window("C", 103)); });
        o.sim.host.focusWindow(601, o.windowToken(601, 103));
        QTRY_COMPARE(o.tracker.order(), (QStringList{"cg-103", "cg-102", "cg-101"}));

        o.controller.show(1, std::nullopt);
        QCOMPARE(o.selectedTitle(), QStringLiteral("B"));
        o.controller.finishBackgroundDiscovery();
        QCOMPARE(o.titles(), (QStringList{"C", "B", "A"}));
        QCOMPARE(o.selectedTitle(), QStringLiteral("B"));
    }

    // Choosing a document activates its app, which reports its main window,
    // then presses the document in its Window menu, which reports another:
    // neither window was used, the document was.
    void aDocumentsChoiceCountsAsUseOfThatCardOnly()
    {
        Overlay o(Overlay::defaultScenario());
        o.controller.show(1, std::nullopt);
        QVERIFY(o.waitForMerges());
        const QString invoice = QStringLiteral("Invoice 2024-113.pdf");
        o.controller.commitCard(int(o.titles().indexOf(invoice)));
        QVERIFY(o.focus.waitForBackgroundWork(std::chrono::seconds(5)));
        QCOMPARE(o.mainWindowTitle(977), invoice);
        QTest::qWait(50); // both reports are in
        QCOMPARE(o.tracker.order(), (QStringList{"doc-acrobat-" + invoice, "cg-88"}));

        // Carried out: the app's focus changes count again.
        o.sim.host.focusWindow(977, o.windowToken(977, 250));
        QTRY_COMPARE(o.tracker.order().first(), QStringLiteral("cg-250"));
    }

    // The background re-listing finds a document app's plain windows, and a
    // document that no window shows is not among them: its card stays
    // selected until the merge brings the app's cards again.
    void aDocumentWithoutWindowKeepsTheSelectionThroughTheReListing()
    {
        SimScenarioBuilder builder = desktop();
        builder.launch(Browser::photoshop, 501)
            .window("Poster.psd @ 50%")
            .windowNumber(101)
            .documents({"Poster.psd", "Banner.psd"});
        withWindows(builder, Browser::textedit, 601, {"Note"}, 201);
        Overlay o(builder.build(), {Browser::photoshop, Browser::textedit});
        o.controller.show(0, std::nullopt);
        QVERIFY(o.waitForMerges());
        o.controller.hide();

        o.controller.show(0, std::nullopt);
        QCOMPARE(o.titles(), (QStringList{"Poster.psd", "Banner.psd", "Note"}));
        o.controller.cycle(1);
        o.controller.finishBackgroundDiscovery();
        QCOMPARE(o.titles(), (QStringList{"Poster.psd", "Banner.psd", "Note"}));
        QCOMPARE(o.selectedTitle(), QStringLiteral("Banner.psd"));
        QVERIFY(o.waitForMerges());
        QCOMPARE(o.selectedTitle(), QStringLiteral("Banner.psd"));
    }

    void hidingDropsTheReListing()
    {
        SimScenarioBuilder builder = desktop();
        Overlay o(withWindows(builder, Browser::textedit, 601, {"A", "B"}, 101).build(),
                  {Browser::textedit});
        o.controller.show(1, std::nullopt);
        o.controller.hide();
        o.changeModel([](SimModel& m) { m.instance(601)->windows.prepend(window("New", 103)); });
        o.controller.show(1, std::nullopt);
        o.controller.hide();
        o.controller.finishBackgroundDiscovery();
        QCOMPARE(o.controller.cachedWindows(Browser::textedit).size(), 2);
        QCOMPARE(o.titles(), (QStringList{"A", "B"}));
    }

    void sessionApps()
    {
        SimScenarioBuilder builder = desktop();
        withWindows(builder, Browser::textedit, 601, {"Note"}, 101);
        withWindows(builder, Browser::preview, 602, {"Photo", "Scan"}, 201);
        withWindows(builder, Browser::safari, 603, {"Start"}, 301);
        Overlay o(builder.build(), {Browser::textedit, Browser::preview});

        // Scoped: only that app is listed, but focus is followed everywhere.
        o.controller.show(1, Browser::textedit);
        QCOMPARE(o.controller.sessionBrowsers(), QList<Browser>{Browser::textedit});
        QCOMPARE(o.titles(), QStringList{"Note"});
        QCOMPARE(o.tracker.observedProcesses(), (QList<pid_t>{601, 602}));
        o.controller.hide();

        o.preferences.setEnabledBrowsers({});
        o.controller.show(1, std::nullopt);
        QCOMPARE(o.controller.sessionBrowsers(), QList<Browser>{Browser::safari});
        QCOMPARE(o.titles(), QStringList{"Start"});
        QCOMPARE(o.tracker.observedProcesses(), QList<pid_t>{603});
    }

    void hungAppCostsOnlyItsTimeOuts()
    {
        SimScenarioBuilder builder = desktop();
        withWindows(builder, Browser::preview, 601, {"Stuck"}, 101).accessibilityHung();
        withWindows(builder, Browser::textedit, 602, {"One", "Two"}, 201);
        Overlay o(builder.build(), {Browser::preview, Browser::textedit});
        QElapsedTimer timer;
        timer.start();
        o.controller.show(1, std::nullopt);
        // Listing and observing the hung app each give up after the 0.3 s
        // messaging time-out, instead of the 6 s default.
        QVERIFY2(timer.elapsed() < 1500, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(o.titles(), (QStringList{"One", "Two"}));
        QVERIFY(o.controller.isVisible());
    }

    // ---- Merges ----

    void mergesReplaceInPlaceAndAppend()
    {
        SimScenarioBuilder builder = desktop();
        builder.launch(Browser::safari, 501)
            .window("Inbox")
            .windowNumber(101)
            .script("1", "https://mail.example/")
            .window("Docs")
            .windowNumber(102)
            .window("Far A")
            .onlyScripting()
            .script("8", "https://a.example/")
            .window("Far B")
            .onlyScripting()
            .script("9", "https://b.example/");
        Overlay o(builder.build(), {Browser::safari});
        o.tracker.bump("as-safari-9"); // new records are ordered like a fresh listing
        o.controller.show(0, std::nullopt);
        QCOMPARE(o.titles(), (QStringList{"Inbox", "Docs"}));
        QVERIFY(o.waitForMerges());
        QCOMPARE(o.titles(), (QStringList{"Inbox", "Docs", "Far B", "Far A"}));
        QCOMPARE(o.controller.windows().first().tabURL, QUrl("https://mail.example/"));
    }

    void mergeKeepsTheFirstOfOneId()
    {
        SimScenarioBuilder builder = desktop();
        // Two listed windows that the window server reports under one number.
        builder.launch(Browser::safari, 501)
            .window("Inbox")
            .windowNumber(101)
            .window("Inbox")
            .windowNumber(101);
        Overlay o(builder.build(), {Browser::safari});
        o.sim.control.changeScripting(Browser(Browser::safari).bundleID(), [](SimScripting& s) {
            s.replyOverride = AEDescriptor::list({scriptEntry("1", "Inbox", "https://first/"),
                                                  scriptEntry("2", "Inbox", "https://second/")});
        });
        o.controller.show(0, std::nullopt);
        QVERIFY(o.waitForMerges());
        QCOMPARE(o.controller.windows().size(), 2);
        for (const SafariWindow& window : o.controller.windows())
            QCOMPARE(window.tabURL, QUrl("https://first/"));
    }

    void documentAppMergeReplacesTheList()
    {
        SimScenarioBuilder builder = desktop();
        builder.launch(Browser::photoshop, 501)
            .window("Poster.psd @ 50%")
            .windowNumber(101)
            .documents({"Logo.psd", "Poster.psd"});
        Overlay o(builder.build(), {Browser::photoshop});
        o.controller.show(0, std::nullopt);
        QCOMPARE(o.controller.windows().first().id(), QStringLiteral("cg-101"));
        QVERIFY(o.waitForMerges());
        QStringList ids;
        for (const SafariWindow& w : o.controller.windows())
            ids << w.id();
        QCOMPARE(ids, (QStringList{"doc-photoshop-Logo.psd", "doc-photoshop-Poster.psd"}));
    }

    // A document merge gives every card a new id and its own order; the
    // selection and the hover stay on their windows all the same.
    void documentMergeKeepsTheHighlightedWindows()
    {
        SimScenarioBuilder builder = desktop();
        builder.launch(Browser::photoshop, 501)
            .window("A.psd @ 50%")
            .windowNumber(101)
            .window("B.psd @ 50%")
            .windowNumber(102)
            .window("C.psd @ 50%")
            .windowNumber(103)
            .documents({"C.psd", "B.psd", "A.psd"});
        Overlay o(builder.build(), {Browser::photoshop});
        o.controller.show(-1, std::nullopt);
        o.controller.hoverCard(0); // A
        QCOMPARE(o.selectedTitle(), QStringLiteral("C.psd @ 50%"));
        QVERIFY(o.waitForMerges());
        QCOMPARE(o.titles(), (QStringList{"C.psd", "B.psd", "A.psd"}));
        QCOMPARE(o.selectedTitle(), QStringLiteral("C.psd"));
        QCOMPARE(o.controller.hoveredIndex(), 2);
    }

    void mergesAfterHidingAreDropped()
    {
        SimScenarioBuilder builder = desktop();
        builder.launch(Browser::safari, 501)
            .window("Inbox")
            .windowNumber(101)
            .window("Far")
            .onlyScripting()
            .script("8");
        Overlay o(builder.build(), {Browser::safari});
        o.controller.show(0, std::nullopt);
        o.controller.hide();
        QVERIFY(o.waitForMerges());
        QCOMPARE(o.controller.cachedWindows(Browser::safari).size(), 1);
    }

    // ---- Snapshots and tints ----

    void snapshotsAndTintsOutliveShowings()
    {
        SimScenarioBuilder builder = desktop();
        withWindows(builder, Browser::textedit, 601, {"Red"}, 101).color(Qt::red);
        Overlay o(builder.build(), {Browser::textedit});
        o.controller.show(0, std::nullopt);
        QTRY_VERIFY(o.controller.averageColors().contains("cg-101"));
        QCOMPARE(hueDegrees(o.controller.averageColors()["cg-101"]), 0);
        o.controller.hide();

        o.changeModel([](SimModel& m) { m.instance(601)->windows[0].color = Qt::blue; });
        o.controller.show(0, std::nullopt);
        // At once, before anything is captured again: last time's picture.
        QCOMPARE(hueDegrees(o.controller.averageColors()["cg-101"]), 0);
        QVERIFY(o.controller.snapshots().contains("cg-101"));
        o.controller.finishBackgroundDiscovery();
        QTRY_COMPARE(hueDegrees(o.controller.averageColors()["cg-101"]), 240);
    }

    // Requests made while a capture run is under way fold into one more run.
    void snapshotRefreshesDoNotPileUp()
    {
        SimScenarioBuilder builder = desktop();
        withWindows(builder, Browser::textedit, 601, {"A", "B"}, 101);
        // Slow captures keep the first run under way while the showings ask.
        builder.model().captureDelaySeconds = 0.25;
        Overlay o(builder.build(), {Browser::textedit});
        o.controller.show(0, std::nullopt); // the first run starts
        for (int showing = 0; showing < 2; ++showing) {
            o.controller.hide();
            o.controller.show(0, std::nullopt);
            o.controller.finishBackgroundDiscovery(); // asks for another run
        }
        QTRY_COMPARE(o.sim.control.captureCount(), 2 * 2);
        QTest::qWait(50);
        QCOMPARE(o.sim.control.captureCount(), 2 * 2);
    }

    void tintColour_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<double>("hue");
        QTest::addColumn<double>("saturation");
        QTest::addColumn<double>("brightness");
        const auto filled = [](QSize size, QColor color) {
            QImage image(size, QImage::Format_ARGB32);
            image.fill(color);
            return image;
        };
        QTest::newRow("nearly white")
            << filled({40, 30}, QColor(250, 250, 245)) << 1.0 / 6 << 0.25 << 0.75;
        QTest::newRow("black") << filled({40, 30}, Qt::black) << 0.0 << 0.25 << 0.35;
        QTest::newRow("half-clear red darkens")
            << filled({8, 8}, QColor(255, 0, 0, 128)) << 0.0 << 0.8 << 128 / 255.0;
        // Wider than a row whose sums 32 bits could hold.
        QImage halves = filled({1 << 18, 1}, Qt::black);
        QPainter(&halves).fillRect(0, 0, 1 << 17, 1, QColor(0, 200, 0));
        QTest::newRow("a very wide image averages its halves")
            << halves << 1.0 / 3 << 0.8 * 1.0 << 0.392;
        // A fine pattern that no sample can stand for: the average (0.5, 0, 0.5)
        // is fully saturated, so × 1.4 is kept at 0.8.
        QImage redBlue = filled({2, 1}, Qt::red);
        redBlue.setPixelColor(1, 0, Qt::blue);
        QImage stripes(1280, 800, QImage::Format_ARGB32_Premultiplied); // as captured
        QPainter(&stripes).fillRect(stripes.rect(), QBrush(redBlue));
        QTest::newRow("1-pixel stripes of red and blue average to purple")
            << stripes << 300.0 / 360 << 0.8 << 0.5;
    }
    void tintColour()
    {
        QFETCH(QImage, image);
        QFETCH(double, hue);
        QFETCH(double, saturation);
        QFETCH(double, brightness);
        const std::optional<QColor> tint = dominantTintColor(image);
        QVERIFY(tint);
        QVERIFY2(std::abs(tint->hsvHueF() - hue) < 0.01,
                 qPrintable(QString::number(tint->hsvHueF())));
        QVERIFY2(std::abs(tint->hsvSaturationF() - saturation) < 0.01,
                 qPrintable(QString::number(tint->hsvSaturationF())));
        QVERIFY2(std::abs(tint->valueF() - brightness) < 0.01,
                 qPrintable(QString::number(tint->valueF())));
        QCOMPARE(tint->alphaF(), 1.0f);
        QVERIFY(!dominantTintColor(QImage()));
    }
};

QTEST_MAIN(TestOverlayController)
#include "tst_OverlayController.moc"

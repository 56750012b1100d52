#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Platform/Sim/SimWindowImage.h"

#include <QTest>

// The simulated host's window pixels: screen capture and the window server's
// single-window image, which the snapshot tests rely on to tell images apart.
class TestSimScreenCapture : public QObject {
    Q_OBJECT

    static SimModel desktop(bool screenRecording = true)
    {
        return SimScenarioBuilder()
            .launch(Browser::safari, 501)
            .window("Front", {0, 0, 800, 500})
            .windowNumber(10)
            .color(Qt::red)
            .window("Minimized")
            .windowNumber(11)
            .minimized()
            .window("Other Space")
            .windowNumber(13)
            .onlyScripting()
            .window("Unnumbered")
            .launch(QStringLiteral("com.example.finder"), QStringLiteral("Desktop"), 77)
            .window("Wallpaper")
            .windowNumber(12)
            .layer(-2147483623)
            .screenRecording(screenRecording)
            .build();
    }

    static QList<quint32> ids(const QList<ShareableWindow>& windows)
    {
        QList<quint32> result;
        for (const ShareableWindow& window : windows)
            result << window.windowID;
        return result;
    }

private slots:
    void shareableContent_data()
    {
        QTest::addColumn<bool>("excludeDesktop");
        QTest::addColumn<bool>("onScreenOnly");
        QTest::addColumn<QList<quint32>>("expected");
        QTest::newRow("every state, no desktop") << true << false << QList<quint32>{10, 11, 13};
        QTest::newRow("on screen only") << true << true << QList<quint32>{10};
        QTest::newRow("desktop included") << false << false << QList<quint32>{10, 11, 13, 12};
    }

    void shareableContent()
    {
        QFETCH(bool, excludeDesktop);
        QFETCH(bool, onScreenOnly);
        QFETCH(QList<quint32>, expected);
        SimPlatform sim(desktop());
        const auto content = sim.screenCapture.shareableContent(excludeDesktop, onScreenOnly);
        const auto* windows = std::get_if<QList<ShareableWindow>>(&content);
        QVERIFY(windows);
        QCOMPARE(ids(*windows), expected);
        const ShareableWindow& front = windows->first();
        QCOMPARE(front.pid, pid_t(501));
        QCOMPARE(front.title, QStringLiteral("Front"));
        QCOMPARE(front.frame, QRectF(0, 0, 800, 500));
        QVERIFY(front.isOnScreen);
        if (windows->size() > 1)
            QVERIFY(!windows->at(1).isOnScreen);
    }

    void captureDrawsTheWindowAtTheConfiguredSize()
    {
        SimPlatform sim(desktop());
        const ShareableWindow front{10, QRectF(0, 0, 800, 500), QStringLiteral("Front"), 501};
        const auto result = sim.screenCapture.captureWindow(front, {320, 200});
        const auto* image = std::get_if<QImage>(&result);
        QVERIFY(image);
        QCOMPARE(image->size(), QSize(320, 200));
        QCOMPARE(image->pixelColor(2, 2), QColor(Qt::red));

        // The title is written across the middle.
        bool textSeen = false;
        for (int x = 0; x < image->width() && !textSeen; ++x)
            textSeen = image->pixelColor(x, 100) != QColor(Qt::red);
        QVERIFY(textSeen);

        // A square configuration letterboxes the wide window.
        const auto square = std::get<QImage>(sim.screenCapture.captureWindow(front, {200, 200}));
        QCOMPARE(square.pixelColor(100, 5).alpha(), 0);
        QCOMPARE(square.pixelColor(5, 100), QColor(Qt::red));
        QCOMPARE(sim.control.captureCount(), 2);
    }

    void captureFailures()
    {
        SimPlatform sim(desktop());
        const ShareableWindow front{10, QRectF(0, 0, 800, 500), QStringLiteral("Front"), 501};
        const ShareableWindow gone{99, QRectF(0, 0, 800, 500), QStringLiteral("Gone"), 501};
        QVERIFY(
            std::holds_alternative<CaptureError>(sim.screenCapture.captureWindow(gone, {80, 50})));
        QVERIFY(
            std::holds_alternative<CaptureError>(sim.screenCapture.captureWindow(front, {0, 50})));

        sim.host.modify([](SimModel& model) { model.instances[0].windows[0].captureFails = true; });
        QVERIFY(
            std::holds_alternative<CaptureError>(sim.screenCapture.captureWindow(front, {80, 50})));

        sim.host.modify([](SimModel& model) {
            model.instances[0].windows[0].captureFails = false;
            model.screenRecordingGranted = false;
        });
        const auto denied = sim.screenCapture.captureWindow(front, {80, 50});
        QCOMPARE(std::get<CaptureError>(denied).code, SimScreenCapture::userDeclinedError);
        QVERIFY(
            std::holds_alternative<CaptureError>(sim.screenCapture.shareableContent(true, false)));
    }

    void legacyWindowImage()
    {
        SimPlatform sim(desktop());
        const QImage image = sim.windowServer.createWindowImage(10);
        QCOMPARE(image.size(), QSize(800, 500)); // one pixel per point
        QCOMPARE(image.pixelColor(1, 1), QColor(Qt::red));
        QVERIFY(sim.windowServer.createWindowImage(99).isNull());

        sim.host.modify(
            [](SimModel& model) { model.instances[0].windows[0].legacyImageFails = true; });
        QVERIFY(sim.windowServer.createWindowImage(10).isNull());
        QVERIFY(!sim.windowServer.createWindowImage(11).isNull());

        // Absurd frames from a scenario fail cleanly instead of overflowing.
        for (const QSizeF& size : {QSizeF(1e12, 500), QSizeF(800, qQNaN()), QSizeF(-5, 10)}) {
            sim.host.modify([&](SimModel& model) {
                model.instances[0].windows[1].frame = QRectF(QPointF(0, 0), size);
            });
            QVERIFY(sim.windowServer.createWindowImage(11).isNull());
        }

        sim.host.modify([](SimModel& model) { model.screenRecordingGranted = false; });
        QVERIFY(sim.windowServer.createWindowImage(11).isNull());
    }

    void colourFromTitleWhenUnset()
    {
        SimWindow a;
        a.title = QStringLiteral("Inbox");
        SimWindow b = a;
        QCOMPARE(SimWindowImage::color(a), SimWindowImage::color(b));
        QVERIFY(SimWindowImage::color(a).isValid());
        b.title = QStringLiteral("Outbox");
        QVERIFY(SimWindowImage::color(a) != SimWindowImage::color(b));
        b.color = Qt::blue;
        QCOMPARE(SimWindowImage::color(b), QColor(Qt::blue));
    }
};

QTEST_MAIN(TestSimScreenCapture)
#include "tst_SimScreenCapture.moc"

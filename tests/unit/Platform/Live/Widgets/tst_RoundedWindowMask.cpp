#include "Platform/Live/Widgets/RoundedWindowMask.h"

#include <QTest>
#include <QWidget>

class TestRoundedWindowMask : public QObject {
    Q_OBJECT
private slots:
    // Which pixels of a 252 × 200 window the mask keeps.
    void region_data()
    {
        QTest::addColumn<double>("radius");
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<bool>("kept");
        QTest::newRow("corner cut") << 18.0 << QPoint(0, 0) << false;
        QTest::newRow("inside the corner's curve") << 18.0 << QPoint(3, 3) << false;
        QTest::newRow("bottom right corner cut") << 18.0 << QPoint(251, 199) << false;
        QTest::newRow("top edge after the curve") << 18.0 << QPoint(24, 0) << true;
        QTest::newRow("left edge") << 18.0 << QPoint(0, 100) << true;
        QTest::newRow("right edge") << 18.0 << QPoint(251, 100) << true;
        QTest::newRow("bottom edge") << 18.0 << QPoint(126, 199) << true;
        QTest::newRow("on the diagonal, inside") << 18.0 << QPoint(6, 6) << true;
        QTest::newRow("square corners") << 0.0 << QPoint(0, 0) << true;
        QTest::newRow("beyond the window") << 0.0 << QPoint(252, 100) << false;
    }

    void region()
    {
        QFETCH(double, radius);
        QFETCH(QPoint, pixel);
        QFETCH(bool, kept);
        QCOMPARE(RoundedWindowMask::region(QSize(252, 200), radius).contains(pixel), kept);
    }

    // The mask follows the window's size and the radius its content draws,
    // and only where nothing composites.
    void keepsTheMaskInStep()
    {
        double radius = 18;
        bool composited = false;
        QWidget window;
        window.resize(252, 200);
        RoundedWindowMask::keep(
            window, [&radius] { return radius; },
            [&composited](const QWindow&) { return composited; });
        QVERIFY(window.mask().isEmpty());
        window.show();
        QCOMPARE(window.mask(), RoundedWindowMask::region(QSize(252, 200), 18));

        radius = 12;
        window.resize(300, 120);
        QCOMPARE(window.mask(), RoundedWindowMask::region(QSize(300, 120), 12));

        // A compositing manager came meanwhile: the next showing drops the mask.
        window.hide();
        composited = true;
        window.show();
        QVERIFY(window.mask().isEmpty());
        window.resize(310, 130);
        QVERIFY(window.mask().isEmpty());
    }
};

QTEST_MAIN(TestRoundedWindowMask)
#include "tst_RoundedWindowMask.moc"

#include "Platform/Live/QtScreens.h"
#include "Platform/ScreenCoordinates.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

class TestQtScreens : public QObject {
    Q_OBJECT
private slots:
    void flipsAgainstThePrimaryScreen()
    {
        const QRectF primary(0, 0, 1920, 1080);
        QCOMPARE(ScreenCoordinates::toBottomLeft(primary, primary), QRectF(0, 0, 1920, 1080));
        // The menu bar's 25 points come off the top, not the bottom.
        QCOMPARE(ScreenCoordinates::toBottomLeft(QRectF(0, 25, 1920, 1055), primary),
                 QRectF(0, 0, 1920, 1055));
        // A taller screen to the right whose top is 200 points above the primary's.
        QCOMPARE(ScreenCoordinates::toBottomLeft(QRectF(1920, -200, 1440, 1600), primary),
                 QRectF(1920, -320, 1440, 1600));
        // A screen above the primary.
        QCOMPARE(ScreenCoordinates::toBottomLeft(QRectF(0, -900, 1600, 900), primary),
                 QRectF(0, 1080, 1600, 900));
        QCOMPARE(ScreenCoordinates::toBottomLeft(QPointF(100, 1080), primary), QPointF(100, 0));
        QCOMPARE(ScreenCoordinates::toBottomLeft(QPointF(100, 0), primary), QPointF(100, 1080));
        // A primary that does not sit at Qt's origin still gets (0, 0).
        const QRectF shifted(-1920, 300, 1920, 1080);
        QCOMPARE(ScreenCoordinates::toBottomLeft(shifted, shifted), QRectF(0, 0, 1920, 1080));
    }

    void placesBackWhereItCameFrom()
    {
        for (const QRectF primary : {QRectF(0, 0, 1920, 1080), QRectF(-1920, 300, 1920, 1080)}) {
            for (const QRectF rect : {QRectF(1700, 30, 252, 180), QRectF(-50, -900, 600, 400)}) {
                QCOMPARE(ScreenCoordinates::toTopLeft(
                             ScreenCoordinates::toBottomLeft(rect, primary), primary),
                         rect);
            }
        }
    }

    void primaryComesFirst()
    {
        QtScreens screens;
        const QList<ScreenInfo> all = screens.screens();
        QCOMPARE(all.size(), QGuiApplication::screens().size());
        QVERIFY(!all.isEmpty());
        QCOMPARE(all.first().localizedName, QGuiApplication::primaryScreen()->name());
        QCOMPARE(all.first().frame.topLeft(), QPointF(0, 0));
        QCOMPARE(all.first().frame.size(), QSizeF(QGuiApplication::primaryScreen()->size()));
        QVERIFY(screens.mainScreen());
    }
};

QTEST_MAIN(TestQtScreens)
#include "tst_QtScreens.moc"

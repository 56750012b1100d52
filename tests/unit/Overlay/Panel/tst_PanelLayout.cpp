#include "Overlay/Panel/PanelLayout.h"

#include "Overlay/OverlayMetrics.h"

#include <QTest>
#include <QWidget>

#include <cmath>
#include <limits>

namespace {

// A visible frame away from the origin, so that a formula that forgets the
// frame's own origin lands somewhere else.
const QRectF visible(100, 50, 1440, 875);

PanelLayoutInput input(int windows, int apps, PanelPosition position = PanelPosition::center,
                       LayoutMode layout = LayoutMode::strip)
{
    PanelLayoutInput in;
    in.windowCount = windows;
    in.filterCount = apps;
    in.position = position;
    in.layoutMode = layout;
    in.visibleFrame = visible;
    in.screens = {ScreenInfo{QRectF(100, 50, 1440, 900), visible, "Built-in"}};
    return in;
}

} // namespace

class TestPanelLayout : public QObject {
    Q_OBJECT
private slots:
    // Sizes and places by the card metrics W 260, s 16, p 24: a cell is
    // 280 × 222.5.
    void sizeAndPlace_data()
    {
        QTest::addColumn<PanelLayoutInput>("in");
        QTest::addColumn<QRectF>("frame");
        QTest::addColumn<int>("columns");

        // 2p + 3 cells + 2s = 920 wide; 222.5 + 2p + 46 for the chips row.
        QTest::newRow("strip of 3 windows of 2 apps, centred")
            << input(3, 2) << QRectF(360, 329.25, 920, 316.5) << 3;
        QTest::newRow("empty showing: narrowest strip, no chips row")
            << input(0, 0) << QRectF(640, 352.25, 360, 270.5) << 1;
        QTest::newRow("strip wider than 0.92 of the frame")
            << input(9, 2) << QRectF(157.6, 329.25, 1324.8, 316.5) << 9;
        PanelLayoutInput scoped = input(3, 2);
        scoped.scoped = true;
        QTest::newRow("scoped showing has no chips row")
            << scoped << QRectF(360, 352.25, 920, 270.5) << 3;
        // c = (1440 × 0.82 − 48 + 16) ÷ 296 = 3.88: three columns, three rows.
        PanelLayoutInput grid = input(7, 2, PanelPosition::center, LayoutMode::grid);
        grid.visibleFrame = QRectF(100, 50, 1440, 1000);
        QTest::newRow("grid of 7 on 1440 wide") << grid << QRectF(360, 153.25, 920, 793.5) << 3;
        QTest::newRow("grid of 7 capped at 0.85 of the height")
            << input(7, 2, PanelPosition::center, LayoutMode::grid)
            << QRectF(360, 115.625, 920, 743.75) << 3;
        QTest::newRow("grid with one window is a strip")
            << input(1, 1, PanelPosition::center, LayoutMode::grid)
            << QRectF(640, 352.25, 360, 270.5) << 1;
        // The card narrows to 0.92 × 300 − 2p − 20 = 208 so that its column
        // fits the widest panel.
        PanelLayoutInput narrowGrid = input(4, 1, PanelPosition::center, LayoutMode::grid);
        narrowGrid.visibleFrame = QRectF(100, 50, 300, 875);
        QTest::newRow("grid on a frame too narrow for one card")
            << narrowGrid << QRectF(112, 115.625, 276, 743.75) << 1;
        // 280 + 48 + 58 wide; rail minimum 4 × 34 + 48 + 36 = 220; content 1224.5.
        QTest::newRow("right, 5 windows of 3 apps")
            << input(5, 3, PanelPosition::right) << QRectF(1130, 157.25, 386, 743.75) << 1;
        PanelLayoutInput railTall = input(1, 8, PanelPosition::left);
        QTest::newRow("left, one window, rail minimum wins")
            << railTall << QRectF(124, 901 - (9 * 34 + 48 + 96), 386, 9 * 34 + 48 + 96) << 1;
        PanelLayoutInput scopedRight = input(1, 1, PanelPosition::right);
        scopedRight.scoped = true;
        QTest::newRow("scoped right: no rail, no rail minimum")
            << scopedRight << QRectF(1188, 901 - 270.5, 328, 270.5) << 1;
        QTest::newRow("top") << input(3, 2, PanelPosition::top)
                             << QRectF(360, 925 - 316.5 - 24, 920, 316.5) << 3;
        QTest::newRow("bottom") << input(3, 2, PanelPosition::bottom) << QRectF(360, 74, 920, 316.5)
                                << 3;

        PanelLayoutInput centred = input(3, 2);
        centred.customCenter = QPointF(800, 400);
        QTest::newRow("custom centre") << centred << QRectF(340, 241.75, 920, 316.5) << 3;
        PanelLayoutInput topCentre = input(3, 2, PanelPosition::left);
        topCentre.customCenter = QPointF(800, 900);
        QTest::newRow("custom centre of a vertical panel is its top centre")
            << topCentre << QRectF(607, 156.25, 386, 743.75) << 1;
        PanelLayoutInput faraway = input(3, 2);
        faraway.customCenter = QPointF(1e9, -1e9);
        QTest::newRow("custom centre far outside is held inside")
            << faraway << QRectF(620, 50, 920, 316.5) << 3;
        PanelLayoutInput notANumber = input(3, 2, PanelPosition::bottom);
        notANumber.customCenter = QPointF(std::nan(""), 10);
        QTest::newRow("custom centre that is not a number: the position's place")
            << notANumber << QRectF(360, 74, 920, 316.5) << 3;
    }
    void sizeAndPlace()
    {
        QFETCH(PanelLayoutInput, in);
        QFETCH(QRectF, frame);
        QFETCH(int, columns);
        const PanelLayoutResult result = computePanelLayout(in);
        QCOMPARE(result.frame, frame);
        QCOMPARE(result.columns, columns);
        QCOMPARE(result.contentWidth, frame.width());
    }

    // Typing narrows the list; the panel keeps its top edge and horizontal
    // centre, within limits.
    void anchoredRelayout_data()
    {
        QTest::addColumn<PanelLayoutInput>("in");
        QTest::addColumn<QRectF>("frame");

        PanelLayoutInput shrink = input(1, 2);
        shrink.anchorFrame = QRectF(157.6, 329.25, 1324.8, 316.5); // a strip of 9
        QTest::newRow("shrinks under its top edge") << shrink << QRectF(640, 329.25, 360, 316.5);
        PanelLayoutInput low = input(1, 2);
        low.anchorFrame = QRectF(600, 40, 400, 100); // top at 140, near the bottom
        QTest::newRow("never shorter than 120") << low << QRectF(620, 20, 360, 120);
        PanelLayoutInput edge = input(1, 2);
        edge.anchorFrame = QRectF(0, 300, 100, 316.5); // centre at x 50
        QTest::newRow("held 24 inside horizontally") << edge << QRectF(124, 300, 360, 316.5);
        PanelLayoutInput narrow = input(1, 2);
        narrow.visibleFrame = QRectF(100, 50, 100, 875);
        narrow.screens = {ScreenInfo{QRectF(100, 50, 100, 900), narrow.visibleFrame, "Tiny"}};
        narrow.anchorFrame = QRectF(100, 300, 100, 316.5);
        // The card narrows to 0.92 × 100 − 2p − 20 = 24: 15 + 60 high, under
        // the chips.
        QTest::newRow("never narrower than 200") << narrow << QRectF(124, 616.5 - 169, 200, 169);
        PanelLayoutInput second = input(1, 2);
        second.screens << ScreenInfo{QRectF(1540, 0, 1000, 800), QRectF(1540, 0, 1000, 780),
                                     "Side"};
        second.anchorFrame = QRectF(1600, 400, 800, 316.5); // centre on the side screen
        QTest::newRow("on the screen under its centre") << second << QRectF(1820, 400, 360, 316.5);
        PanelLayoutInput unsized = input(3, 2);
        unsized.anchorFrame = QRectF(500, 500, 1, 1);
        QTest::newRow("a panel one point wide is placed afresh")
            << unsized << QRectF(360, 329.25, 920, 316.5);
    }
    void anchoredRelayout()
    {
        QFETCH(PanelLayoutInput, in);
        QFETCH(QRectF, frame);
        const PanelLayoutResult result = computePanelLayout(in);
        QCOMPARE(result.frame, frame);
        QCOMPARE(result.contentWidth, frame.width());
    }

    // Lengths far beyond any screen still give a panel that starts inside
    // the visible frame, and counts near the integer limit do not overflow.
    void absurdMetricsStartInsideTheFrame()
    {
        PanelLayoutInput in = input(std::numeric_limits<int>::max(), 32);
        in.cardWidth = 1e300;
        in.windowSpacing = 1e300;
        for (PanelPosition position : allCases<PanelPosition>()) {
            for (LayoutMode layout : allCases<LayoutMode>()) {
                in.position = position;
                in.layoutMode = layout;
                const QRectF frame = computePanelLayout(in).frame;
                QVERIFY(visible.contains(frame.topLeft()));
            }
        }
    }

    // A card width edited by hand far beyond the screen: the cards are held to
    // it, so the panel lies inside the visible frame in every layout.
    void handEditedCardWidthStaysOnScreen_data()
    {
        QTest::addColumn<double>("cardWidth");
        QTest::addColumn<PanelPosition>("position");
        QTest::addColumn<LayoutMode>("layout");
        for (double width : {1e6, 1e308}) {
            for (PanelPosition position : {PanelPosition::center, PanelPosition::right}) {
                for (LayoutMode layout : allCases<LayoutMode>()) {
                    QTest::addRow("%g, %s, %s", width, qPrintable(rawValue(position)),
                                  qPrintable(rawValue(layout)))
                        << width << position << layout;
                }
            }
        }
    }
    void handEditedCardWidthStaysOnScreen()
    {
        QFETCH(double, cardWidth);
        QFETCH(PanelPosition, position);
        QFETCH(LayoutMode, layout);
        PanelLayoutInput in = input(5, 3, position, layout);
        in.cardWidth = cardWidth;
        const QRectF frame = computePanelLayout(in).frame;
        QVERIFY2(visible.contains(frame), qPrintable(QStringLiteral("%1,%2 %3×%4")
                                                         .arg(frame.x())
                                                         .arg(frame.y())
                                                         .arg(frame.width())
                                                         .arg(frame.height())));
        // And one card fits its panel, inside the padding and the chips.
        const double W = cardWidthOnScreen(in);
        const bool vertical = isVertical(position);
        const double padding = 2 * in.containerPadding;
        QCOMPARE_LE(OverlayMetrics::cellWidth(W) + padding +
                        (vertical ? OverlayMetrics::railWidth : 0),
                    frame.width());
        QCOMPARE_LE(OverlayMetrics::cellHeight(W) + padding +
                        (vertical ? 0 : OverlayMetrics::chipRowHeight),
                    frame.height());
    }

    void targetScreen_data()
    {
        QTest::addColumn<QString>("preferred");
        QTest::addColumn<QPointF>("pointer");
        QTest::addColumn<bool>("primaryAtOrigin");
        QTest::addColumn<QString>("chosen");
        const QPointF onSide(2000, 100);
        QTest::newRow("primary, pointer elsewhere") << "primary" << onSide << true << "Built-in";
        QTest::newRow("primary without a screen at the origin")
            << "primary" << onSide << false << "Built-in";
        QTest::newRow("active follows the pointer") << "active" << onSide << true << "Side";
        QTest::newRow("empty is active") << "" << onSide << true << "Side";
        QTest::newRow("by name") << "Side" << QPointF(10, 10) << true << "Side";
        QTest::newRow("unknown name falls back to the pointer's")
            << "Projector" << onSide << true << "Side";
        QTest::newRow("pointer off every screen: the main one")
            << "active" << QPointF(-5000, 0) << true << "Main";
        // The far edges of a frame belong to the next screen.
        QTest::newRow("pointer on the shared edge")
            << "active" << QPointF(1440, 10) << true << "Side";
    }
    void targetScreen()
    {
        QFETCH(QString, preferred);
        QFETCH(QPointF, pointer);
        QFETCH(bool, primaryAtOrigin);
        QFETCH(QString, chosen);
        const QPointF origin = primaryAtOrigin ? QPointF(0, 0) : QPointF(0, 1);
        const QList<ScreenInfo> screens{
            {QRectF(origin, QSizeF(1440, 900)), QRectF(0, 0, 1440, 875), "Built-in"},
            {QRectF(1440, -200, 2560, 1440), QRectF(1440, -200, 2560, 1415), "Side"}};
        const ScreenInfo main{QRectF(), QRectF(), "Main"};
        QCOMPARE(::targetScreen(screens, main, pointer, preferred)->localizedName, chosen);
    }

    void absurdFramesStillMakeAWindow()
    {
        QCOMPARE(windowGeometry(QRectF(100.4, -50.6, 920, 300.5)), QRect(100, -51, 920, 301));
        const QRect absurd = windowGeometry(QRectF(1e300, std::nan(""), -5, 1e300));
        QCOMPARE(absurd.x(), QWIDGETSIZE_MAX);
        QCOMPARE(absurd.y(), 0);
        QCOMPARE(absurd.width(), 1);
        QCOMPARE(absurd.height(), QWIDGETSIZE_MAX);
    }
};

QTEST_APPLESS_MAIN(TestPanelLayout)
#include "tst_PanelLayout.moc"

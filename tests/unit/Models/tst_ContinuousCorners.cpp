#include "Models/ContinuousCorners.h"

#include "support/WidgetRender.h"

#include <QPainter>
#include <QTest>

namespace {

QImage render(const QPainterPath& path, const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path, Qt::white);
    return image;
}

QPainterPath circular(const QRectF& rect, double radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// The uncovered part of the pixels from (x, y) on, in steps of (dx, dy): how
// far the outline lies from the edge along a column, or from the corner along
// the diagonal.
double uncovered(const QImage& image, int x, int y, int dx, int dy)
{
    double sum = 0;
    for (; x < image.width() / 2 && y < image.height() / 2; x += dx, y += dy)
        sum += 1 - qAlpha(image.pixel(x, y)) / 255.0;
    return sum;
}

} // namespace

class TestContinuousCorners : public QObject {
    Q_OBJECT
private slots:
    // A corner of radius 100, one pixel per unit. It crosses the diagonal
    // between the circular arc and the square corner, leaves the edge further
    // out than the arc, and leaves it tangentially with its curvature growing
    // from zero: its depth below the edge grows faster than the square of the
    // distance, as no arc's does. A radius beyond half the shorter side gives
    // the capsule with half-circle ends.
    void easesOutOfTheEdge()
    {
        const QRectF rect(0, 0, 400, 300);
        const QImage drawn = render(continuousRoundedRect(rect, 100), QSize(400, 300));
        const QImage arc = render(circular(rect, 100), QSize(400, 300));
        keepRender(drawn, QStringLiteral("continuous-corners"));

        const double crossing = uncovered(drawn, 0, 0, 1, 1);
        const double arcCrossing = uncovered(arc, 0, 0, 1, 1);
        QVERIFY2(crossing < arcCrossing - 0.75 && crossing > arcCrossing / 2,
                 qPrintable(QStringLiteral("%1, the arc %2").arg(crossing).arg(arcCrossing)));

        const auto depth = [&drawn](int x) { return uncovered(drawn, x, 0, 0, 1); };
        QCOMPARE(uncovered(arc, 110, 0, 0, 1), 0.0);
        QVERIFY2(depth(110) > 0.1, qPrintable(QString::number(depth(110))));
        int start = 100;
        while (start < 200 && depth(start) >= 1 / 255.0)
            ++start;
        QVERIFY2(start > 120 && start < 160, qPrintable(QString::number(start)));
        QVERIFY2(depth(start - 8) < 0.1, qPrintable(QString::number(depth(start - 8))));
        const double growth = depth(start - 40) / depth(start - 20);
        QVERIFY2(growth > 4.7, qPrintable(QString::number(growth)));

        const QRectF pill(2, 2, 60, 24);
        const QImage capsule = render(continuousRoundedRect(pill, 90), QSize(64, 28));
        const QImage halfCircles = render(circular(pill, 12), QSize(64, 28));
        for (int y = 0; y < capsule.height(); ++y)
            for (int x = 0; x < capsule.width(); ++x)
                QVERIFY(std::abs(qAlpha(capsule.pixel(x, y)) - qAlpha(halfCircles.pixel(x, y))) <=
                        3);
    }
};

QTEST_MAIN(TestContinuousCorners)
#include "tst_ContinuousCorners.moc"

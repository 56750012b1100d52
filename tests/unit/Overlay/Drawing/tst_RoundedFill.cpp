#include "Overlay/Drawing/RoundedFill.h"

#include "Models/ContinuousCorners.h"

#include <QPainter>
#include <QPainterPath>
#include <QTest>

namespace {

// The shape drawn by the painter's own path fill, or from the cached image,
// on a canvas of the given pixel ratio with the painter moved as given.
QImage render(bool cached, const QRectF& rect, double radius, const QColor& color, double ratio,
              const QTransform& world)
{
    QImage image(QSize(120, 80) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(QColor(30, 90, 60));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(world);
    if (cached) {
        RoundedFill::paint(painter, rect, radius, color);
    } else {
        painter.fillPath(continuousRoundedRect(rect, radius), color);
    }
    return image;
}

int largestDifference(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest =
                std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return largest;
}

} // namespace

class TestRoundedFill : public QObject {
    Q_OBJECT
private slots:
    // Copied from its cache, the shape lands on exactly the pixels the
    // painter's own fill covers, however the painter is placed and scaled;
    // a rotated painter draws the path itself.
    void drawsWhatThePathFillDraws_data()
    {
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<double>("radius");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QTransform>("world");
        QTest::addColumn<QColor>("color");
        const QColor accent(0, 122, 255, 230);
        QTest::newRow("capsule") << QRectF(10, 10, 39, 27) << 13.5 << 1.0 << QTransform() << accent;
        QTest::newRow("capsule at ratio 2")
            << QRectF(10, 10, 39, 27) << 13.5 << 2.0 << QTransform() << accent;
        QTest::newRow("card between pixels")
            << QRectF(3.3, 4.6, 100.2, 60.7) << 14.0 << 1.0 << QTransform::fromTranslate(0.25, 0.5)
            << QColor(0, 0, 0, 35);
        QTest::newRow("scaled preview")
            << QRectF(10, 10, 60, 40) << 9.0 << 2.0 << QTransform::fromScale(0.75, 0.75)
            << QColor(255, 255, 255, 200);
        QTest::newRow("rotated") << QRectF(20, 10, 50, 30) << 12.0 << 1.0 << QTransform().rotate(10)
                                 << accent;
    }

    void drawsWhatThePathFillDraws()
    {
        QFETCH(QRectF, rect);
        QFETCH(double, radius);
        QFETCH(double, ratio);
        QFETCH(QTransform, world);
        QFETCH(QColor, color);
        const QImage expected = render(false, rect, radius, color, ratio, world);
        // Twice: once made, once taken from the cache.
        for (int pass = 0; pass < 2; ++pass) {
            const QImage drawn = render(true, rect, radius, color, ratio, world);
            const int difference = largestDifference(drawn, expected);
            QVERIFY2(difference <= 2, qPrintable(QString::number(difference)));
        }
    }
};

QTEST_MAIN(TestRoundedFill)
#include "tst_RoundedFill.moc"

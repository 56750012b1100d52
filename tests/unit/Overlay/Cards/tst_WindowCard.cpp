#include "Overlay/Cards/WindowCard.h"

#include "Overlay/Cards/CardDrawingCache.h"

#include "Brand/TesselBrand.h"
#include "Brand/TesselTile.h"
#include "Overlay/Cards/WindowCardRules.h"
#include "support/WidgetRender.h"

#include <QPainter>
#include <QTest>

#include <cmath>

namespace {

constexpr double margin = 20; // points of empty canvas around the card
constexpr double ratio = 2;

SafariWindow sampleWindow(const QString& title = QStringLiteral("Work \u2014 Inbox"))
{
    SafariWindow window;
    window.browser = Browser::safari;
    window.title = title;
    window.windowID = 88;
    window.tabURL = QUrl(QStringLiteral("https://mail.example.com/inbox"));
    return window;
}

QImage solid(const QSize& size, const QColor& color)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

QImage render(const WindowCardContent& content, const ColorScheme& scheme = ColorScheme::light())
{
    const QSizeF size = WindowCard::cardSize(content.thumbWidth) + QSizeF(2 * margin, 2 * margin);
    QImage image((size * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(margin, margin);
    WindowCard::paint(painter, content, scheme);
    return image;
}

// The pixel at a point of the card (card coordinates, points).
QColor at(const QImage& image, double x, double y)
{
    return QColor::fromRgba(image.pixel(int((x + margin) * ratio), int((y + margin) * ratio)));
}

} // namespace

class TestWindowCard : public QObject {
    Q_OBJECT
private slots:
    // The faint well spans exactly W × 0.625 W from (10, 10); a snapshot wider
    // than its box leaves bands above and below, a narrower one left and right.
    void thumbnailAndLetterBoxing_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<QSize>("snapshot");
        QTest::addColumn<bool>("wide");
        QTest::newRow("wide, 260") << 260.0 << QSize(3000, 600) << true;
        QTest::newRow("narrow, 260") << 260.0 << QSize(400, 1600) << false;
        QTest::newRow("wide, 180") << 180.0 << QSize(1000, 100) << true;
    }
    void thumbnailAndLetterBoxing()
    {
        QFETCH(double, width);
        QFETCH(QSize, snapshot);
        QFETCH(bool, wide);
        WindowCardContent content;
        content.window = sampleWindow(QStringLiteral("Plain"));
        content.thumbWidth = width;
        const QColor red(220, 0, 0);
        content.image = solid(snapshot, red);
        const QImage image = render(content);
        const double height = width * 0.625;
        const double midX = 10 + width / 2, midY = 10 + height / 2;

        QVERIFY(near(at(image, midX, midY), red, 6));
        // Just inside each edge of the thumbnail: the well; just outside: nothing.
        for (const QPointF inside : {QPointF(10.5, midY), QPointF(10 + width - 0.5, midY),
                                     QPointF(midX, 10.5), QPointF(midX, 10 + height - 0.5)}) {
            const QColor pixel = at(image, inside.x(), inside.y());
            QVERIFY2(pixel.alpha() > 0 && !near(pixel, red, 6), qPrintable(describe(pixel)));
        }
        for (const QPointF outside : {QPointF(9.4, midY), QPointF(10 + width + 0.6, midY),
                                      QPointF(midX, 9.4), QPointF(midX, 10 + height + 0.6)})
            QCOMPARE(at(image, outside.x(), outside.y()).alpha(), 0);

        // The bands: inside the 4-point inset, beside the fitted snapshot.
        const QRectF fitted =
            WindowCardRules::snapshotRect(snapshot, WindowCard::thumbnailRect(width));
        const QPointF band = wide ? QPointF(midX, (10 + 4 + fitted.top()) / 2)
                                  : QPointF((10 + 4 + fitted.left()) / 2, midY);
        const QPointF across = wide ? QPointF((10 + 4 + fitted.left()) / 2 + 2, midY)
                                    : QPointF(midX, (10 + 4 + fitted.top()) / 2 + 2);
        QVERIFY(wide ? fitted.top() > 10 + 8 : fitted.left() > 10 + 8);
        QVERIFY(!near(at(image, band.x(), band.y()), red, 6));
        QVERIFY(near(at(image, across.x(), across.y()), red, 6));
    }

    void selection_data()
    {
        QTest::addColumn<bool>("brand");
        QTest::newRow("system theme: fill, no border") << false;
        QTest::newRow("brand theme: hover fill, forest border") << true;
    }
    void selection()
    {
        QFETCH(bool, brand);
        WindowCardContent content;
        content.window = sampleWindow();
        content.isTesselTheme = brand;
        content.isSelected = true;
        const QImage image = render(content);
        const double midY = 100;
        const QColor edge = at(image, 0.6, midY);
        const QColor inside = at(image, 5, midY);
        if (brand) {
            QVERIFY2(near(edge, TesselBrand::forest(), 24), qPrintable(describe(edge)));
            QVERIFY(near(inside, TesselBrand::hoverFill(), 2));
            QCOMPARE(inside.alpha(), 255);
        } else {
            // The same translucent primary at the edge as further in.
            QCOMPARE(edge.rgba(), inside.rgba());
            QVERIFY(inside.alpha() > 20 && inside.alpha() < 50);
        }
        content.isSelected = false;
        QCOMPARE(at(render(content), 5, midY).alpha(), 0);
    }

    // With no snapshot the tile wears the location's colour, with its letter.
    void monogramTile()
    {
        WindowCardContent content;
        content.window = sampleWindow();
        const QImage image = render(content);
        const QColor tile = at(image, 10 + 4 + 20, 10 + 4 + 60);
        const QColor expected = TesselTile::color(QStringLiteral("mail.example.com"));
        QVERIFY2(std::abs(tile.hsvHue() - expected.hsvHue()) <= 3, qPrintable(describe(tile)));
        // The letter: white strokes near the middle of the tile.
        int white = 0;
        for (double x = 130 - 20; x < 130 + 20; x += 0.5)
            white += at(image, x, 10 + 81.25 - 12).lightness() > 235 ? 1 : 0;
        QVERIFY(white > 4);
    }

    // A minimized Safari window with a profile carries three pills: profile
    // top left, app top right, "Minimized" bottom right.
    void threePills()
    {
        WindowCardContent content;
        content.window = sampleWindow();
        content.window.isMinimized = true;
        content.image = solid(QSize(520, 325), Qt::white);
        content.showProfileBadge = true;
        content.showBrowserBadge = true;
        content.profileColor = QColor(200, 30, 30);
        const QImage image = render(content);
        const double top = 10 + 6 + 8, bottom = 10 + 162.5 - 6 - 8;
        QVERIFY(near(at(image, 10 + 6 + 6, top), QColor(200, 30, 30), 30));
        QVERIFY(near(at(image, 10 + 260 - 6 - 6, top), Browser(Browser::safari).badgeColor(), 30));
        const QColor minimized = at(image, 10 + 260 - 6 - 4, bottom);
        QVERIFY(near(minimized, QColor(255, 255, 255), 10)); // thin material on white
        QVERIFY(!near(at(image, 10 + 6 + 6, bottom), QColor(200, 30, 30), 60));
    }

    // A thumbnail is made once per window and size: a card drawn elsewhere
    // on whole pixels (scrolled far, or half a point over at two pixels per
    // point) reuses it, a new snapshot replaces it. It covers whole device pixels, so the
    // snapshot's edge is sharp.
    void thumbnailMadeOncePerWindowOnWholePixels()
    {
        CardDrawingCache cache;
        WindowCardContent content;
        content.window = sampleWindow();
        const QColor red(220, 0, 0);
        content.image = solid(QSize(1440, 900), red);
        const QString id = content.window.id();
        const auto paintAt = [&](const QPointF& offset) {
            QImage image(QSize(700, 600) * ratio, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(ratio);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.translate(offset);
            WindowCard::paint(painter, content, ColorScheme::light(), &cache);
            return image;
        };

        const QImage drawn = paintAt(QPointF(0, 0));
        const QImage thumbnail = cache.cachedThumbnail(id);
        QCOMPARE(thumbnail.size(), QSize(520, 325)); // 260 × 162.5 points, rounded out
        for (const QPointF offset :
             {QPointF(37, 211), QPointF(0.5, 40.5), QPointF(1234, 98765.5)}) {
            paintAt(offset);
            QCOMPARE(cache.cachedThumbnail(id).cacheKey(), thumbnail.cacheKey());
        }
        QCOMPARE(cache.thumbnailCount(), 1);

        // Across the middle: the well, then the snapshot at full strength
        // from its first pixel on, with no half-covered column between.
        const int y = int((10 + 81.25) * ratio);
        int x = int(10 * ratio);
        while (x < drawn.width() && !near(QColor::fromRgba(drawn.pixel(x, y)), red, 40))
            ++x;
        QVERIFY(x < int(30 * ratio));
        QCOMPARE(QColor::fromRgba(drawn.pixel(x, y)).rgb(), red.rgb());

        content.image = solid(QSize(1440, 900), Qt::blue);
        paintAt(QPointF(0, 0));
        QVERIFY(cache.cachedThumbnail(id).cacheKey() != thumbnail.cacheKey());
        QCOMPARE(cache.thumbnailCount(), 1);
    }

    // Hostile titles and snapshots: everything stays inside the card.
    void badInputStaysInside_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QSize>("snapshot");
        QString combining(3000, QChar(0x0301));
        QTest::newRow("ten thousand characters") << QString(10000, QLatin1Char('W')) << QSize();
        QTest::newRow("combining marks only") << combining << QSize();
        QTest::newRow("emoji sequences")
            << QString("\U0001F469\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466").repeated(300)
            << QSize();
        QTest::newRow("right to left")
            << QString("\u05e9\u05dc\u05d5\u05dd ").repeated(400) << QSize(1, 1);
        QTest::newRow("control characters")
            << QString::fromUtf8("a\nb\r\x01\tc\x7f").repeated(50) << QSize(16384, 16);
    }
    void badInputStaysInside()
    {
        QFETCH(QString, title);
        QFETCH(QSize, snapshot);
        WindowCardContent content;
        content.window = sampleWindow(title);
        content.window.tabURL = QUrl(QStringLiteral("https://") + QString(300, 'x') + ".com/");
        content.window.isMinimized = true;
        content.showBrowserBadge = true;
        content.isSelected = true;
        content.isTesselTheme = true;
        if (!snapshot.isEmpty())
            content.image = solid(snapshot, Qt::blue);
        const QImage image = render(content);
        const QSizeF card = WindowCard::cardSize(content.thumbWidth);
        const QRect inside = QRectF(QPointF(margin, margin) * ratio, card * ratio).toAlignedRect();
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (!inside.contains(x, y) && qAlpha(image.pixel(x, y)) != 0)
                    QFAIL(
                        qPrintable(QStringLiteral("ink outside the card at %1,%2").arg(x).arg(y)));
            }
        }
    }
};

QTEST_MAIN(TestWindowCard)
#include "tst_WindowCard.moc"

#include "Brand/Symbols.h"
#include "Brand/TesselBrand.h"
#include "Brand/TesselTile.h"
#include "Brand/Typography.h"
#include "Models/SettingEnums.h"

#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

// The rows and columns holding any pixel of the ink's alpha.
QRect inkedBounds(const QImage& image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 127)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

} // namespace

class TestBrand : public QObject {
    Q_OBJECT
private slots:
    void nameColours_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("hue");
        QTest::newRow("a") << "a" << 190;
        QTest::newRow("abc") << "abc" << 3;
        QTest::newRow("upper case is lower-cased first") << "ABC" << 3;
        QTest::newRow("empty") << "" << 341;
        // é is the bytes C3 A9: ((5381 * 33 + 0xC3) * 33 + 0xA9) mod 360.
        QTest::newRow("accented letter hashes its UTF-8 bytes")
            << "\u00e9" << int(((5381ull * 33 + 0xC3) * 33 + 0xA9) % 360);
        QTest::newRow("upper-case accented letter")
            << "\u00c9" << int(((5381ull * 33 + 0xC3) * 33 + 0xA9) % 360);
    }
    void nameColours()
    {
        QFETCH(QString, name);
        QFETCH(int, hue);
        QCOMPARE(TesselTile::hueDegrees(name), hue);
        const QColor color = TesselTile::color(name);
        QCOMPARE(color.hsvHue(), hue);
        QVERIFY(std::abs(color.hsvSaturationF() - 0.45f) < 0.01f);
        QVERIFY(std::abs(color.valueF() - 0.68f) < 0.01f);
        QCOMPARE(color.alphaF(), 1.0f);
    }

    void veryLongNameWraps()
    {
        // Fifty thousand letters wrap the 64-bit hash many times over; the
        // same sum done here in unsigned arithmetic must agree.
        const QString name(50000, QLatin1Char('z'));
        quint64 hash = 5381;
        for (int i = 0; i < name.size(); ++i)
            hash = hash * 33 + 'z';
        QCOMPARE(TesselTile::hueDegrees(name), int(hash % 360));
    }

    void forestIsTheGreenTint() { QCOMPARE(TesselBrand::forest(), *color(GlassTint::tesselGreen)); }

    void markResourceShips()
    {
        const std::optional<QImage> mark = TesselBrand::mark();
        QVERIFY(mark);
        QCOMPARE(mark->width(), mark->height());
        const QImage icon(QStringLiteral(":/brand/MenuBarIcon.png"));
        QCOMPARE(icon.size(), QSize(18, 18));
        QCOMPARE(QImage(QStringLiteral(":/brand/MenuBarIcon@2x.png")).size(), QSize(36, 36));
    }

    void wordmarkWithoutMarkIsTheWordAlone()
    {
        const double width = 128;
        const TesselBrand::WordmarkMetrics metrics = TesselBrand::wordmarkMetrics(width);
        QVERIFY(std::abs(metrics.fontSize - 28.444) < 0.01);
        QVERIFY(std::abs(metrics.markSide - 36.978) < 0.01);
        QVERIFY(std::abs(metrics.gap - 9.671) < 0.01);

        const Wordmark withMark(width);
        QVERIFY(withMark.hasMark());
        const Wordmark missing(width, std::nullopt);
        const Wordmark unreadable(width, QImage());
        QVERIFY(!missing.hasMark());
        QVERIFY(!unreadable.hasMark());
        // No gap is left where the mark would stand.
        QCOMPARE(withMark.sizeHint().width() - missing.sizeHint().width(),
                 int(metrics.gap + metrics.markSide));
        QCOMPARE(unreadable.sizeHint(), missing.sizeHint());

        // The word's ink ends before the widget does by at most a pixel or two.
        Wordmark shown(width, std::nullopt);
        shown.resize(shown.sizeHint());
        QImage image(shown.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        shown.render(&image, {}, {}, QWidget::DrawChildren);
        QVERIFY(inkedBounds(image).right() >= shown.width() - 4);
    }

    // A body font rendered at a device pixel ratio of 1 and 2 is 13 device-
    // independent pixels: Inter's capital H is 0.727 em tall.
    void bodyFontHasItsDocumentedSize_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::newRow("1x") << 1.0;
        QTest::newRow("2x") << 2.0;
    }
    void bodyFontHasItsDocumentedSize()
    {
        QFETCH(double, ratio);
        const QFont font = Typography::font(TextStyle::body);
        QCOMPARE(QFontInfo(font).family(), QStringLiteral("Inter"));
        QImage image(QSize(200, 60) * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(QPointF(10, 40), QStringLiteral("HHHH"));
        }
        const double capHeight = inkedBounds(image).height() / ratio;
        QVERIFY2(std::abs(capHeight - 13 * 0.727) < 0.75, qPrintable(QString::number(capHeight)));
    }

    void stylesAndDesigns()
    {
        QCOMPARE(Typography::pointSize(TextStyle::callout), 12.0);
        QCOMPARE(QFontInfo(Typography::font(TextStyle::caption, QFont::Normal, FontDesign::rounded))
                     .family(),
                 QStringLiteral("Quicksand"));
        QCOMPARE(QFontInfo(Typography::font(TextStyle::title3, QFont::Medium, FontDesign::serif))
                     .family(),
                 QStringLiteral("Noto Serif"));
    }

    void symbolsAreTintedToTheColourAsked_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name :
             {"macwindow", "magnifyingglass", "leaf", "checkmark.circle.fill", "circle",
              "circle.dashed", "arrow.uturn.backward", "rectangle.3.group", "slider.horizontal.3",
              "checkmark.shield", "power"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void symbolsAreTintedToTheColourAsked()
    {
        QFETCH(QString, name);
        const QColor tint(200, 40, 90);
        const QImage image = Symbols::pixmap(name, 24, tint, 2).toImage();
        QCOMPARE(image.size(), QSize(48, 48));
        int inked = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = QColor::fromRgba(image.pixel(x, y));
                if (pixel.alpha() < 255)
                    continue;
                ++inked;
                QCOMPARE(pixel.rgb(), tint.rgb());
            }
        }
        QVERIFY(inked > 40);
    }

    void unknownSymbolDrawsNothing()
    {
        QVERIFY(Symbols::pixmap(QStringLiteral("no.such.symbol"), 24, Qt::black).isNull());
    }
};

QTEST_MAIN(TestBrand)
#include "tst_Brand.moc"

#include "Models/ColorHex.h"

#include <QTest>

class TestColorHex : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("expected"); // invalid: none

        const QColor orange(255, 128, 0);
        QTest::newRow("hash, upper case") << "#FF8000" << orange;
        QTest::newRow("no hash, lower case") << "ff8000" << orange;
        QTest::newRow("mixed case") << "fF8000" << orange;
        QTest::newRow("black") << "000000" << QColor(0, 0, 0);
        QTest::newRow("two hashes") << "##FF8000" << QColor();
        QTest::newRow("three digits") << "F80" << QColor();
        QTest::newRow("seven digits") << "FF80000" << QColor();
        QTest::newRow("letter beyond f") << "FF80G0" << QColor();
        QTest::newRow("empty") << "" << QColor();
        QTest::newRow("hash alone") << "#" << QColor();
        QTest::newRow("sign") << "+F8000" << QColor();
        QTest::newRow("0x prefix") << "0xFF80" << QColor();
        QTest::newRow("blank") << " F8000" << QColor();
        QTest::newRow("non-ASCII digit") << QString::fromUtf8("FF80\u0661\u0661") << QColor();
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QColor, expected);
        const std::optional<QColor> color = colorFromHex(text);
        if (!expected.isValid()) {
            QVERIFY(!color);
            return;
        }
        QVERIFY(color);
        QCOMPARE(color->rgba(), expected.rgba());
        QCOMPARE(color->alphaF(), 1.0f);
    }

    void format_data()
    {
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QString>("expected"); // null: none

        QTest::newRow("white") << QColor(Qt::white) << "FFFFFF";
        QTest::newRow("leading zeros") << QColor(1, 2, 10) << "01020A";
        QTest::newRow("half goes up") << QColor::fromRgbF(0.5f, 0.5f, 0.5f) << "808080";
        QTest::newRow("opacity ignored") << QColor(255, 128, 0, 10) << "FF8000";
        QTest::newRow("from another model") << QColor::fromHsvF(0, 1, 1) << "FF0000";
        QTest::newRow("extended range clamps") << QColor::fromRgbF(1.4f, -0.2f, 0.5f) << "FF0080";
        QTest::newRow("invalid") << QColor() << QString();
    }
    void format()
    {
        QFETCH(QColor, color);
        QFETCH(QString, expected);
        const std::optional<QString> hex = toHex(color);
        if (expected.isNull())
            QVERIFY(!hex);
        else
            QCOMPARE(hex, expected);
    }

    void roundTrip()
    {
        for (const char* text : {"000000", "FFFFFF", "1A2B3C", "7F8081", "C0FFEE"}) {
            const std::optional<QColor> color = colorFromHex(QString::fromLatin1(text));
            QVERIFY(color);
            QCOMPARE(toHex(*color), QString::fromLatin1(text));
        }
        // A colour from anywhere comes back within one 255th.
        const QColor picked = QColor::fromRgbF(0.123f, 0.456f, 0.789f);
        const std::optional<QColor> back = colorFromHex(*toHex(picked));
        QVERIFY(back);
        QVERIFY(qAbs(back->redF() - picked.redF()) <= 1.0f / 255);
        QVERIFY(qAbs(back->greenF() - picked.greenF()) <= 1.0f / 255);
        QVERIFY(qAbs(back->blueF() - picked.blueF()) <= 1.0f / 255);
    }
};

QTEST_GUILESS_MAIN(TestColorHex)
#include "tst_ColorHex.moc"

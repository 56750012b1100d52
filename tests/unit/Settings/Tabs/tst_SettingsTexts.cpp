#include "Brand/TesselTile.h"
#include "Settings/SettingsTab.h"
#include "Settings/Tabs/SettingsTexts.h"

#include <QTest>

#include <limits>

using namespace SettingsTexts;

class TestSettingsTexts : public QObject {
    Q_OBJECT
private slots:
    void readoutsDropTheFraction_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("points");
        QTest::addColumn<QString>("percent");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("whole") << 26.0 << "26 pt"
                               << "2600%";
        QTest::newRow("16.5 reads 16") << 16.5 << "16 pt"
                                       << "1650%";
        QTest::newRow("just below 57%") << 0.57 << "0 pt"
                                        << "56%";
        QTest::newRow("full") << 1.0 << "1 pt"
                              << "100%";
        QTest::newRow("zero") << 0.0 << "0 pt"
                              << "0%";
        QTest::newRow("toward zero") << -0.7 << "0 pt"
                                     << "-70%";
        QTest::newRow("not a number") << nan << "– pt"
                                      << "–%";
        QTest::newRow("infinite") << inf << "– pt"
                                  << "–%";
        QTest::newRow("beyond 64 bits") << 1e30 << "– pt"
                                        << "–%";
    }

    void readoutsDropTheFraction()
    {
        QFETCH(double, value);
        QTEST(pointReadout(value), "points");
        QTEST(percentReadout(value), "percent");
    }

    void profileListMergesAndSortsByCodePoint()
    {
        const QStringList known{"Work", "Personal", "home"};
        const QMap<QString, QString> colors{{"Archive", "FF0000"}, {"Work", "00FF00"}};
        QCOMPARE(profileList(known, colors), (QStringList{"Archive", "Personal", "Work", "home"}));
        QCOMPARE(profileList({}, {}), QStringList());
        // Beyond U+FFFF (a surrogate pair in UTF-16) sorts after U+FFFD.
        const QString emoji = QString::fromUcs4(U"Team \U0001F600");
        const QString replacement = QString::fromUcs4(U"Team \uFFFD");
        QCOMPARE(profileList({emoji, replacement, "Team"}, {}),
                 (QStringList{"Team", replacement, emoji}));
    }

    void pillColorFallsBackToTheNameColour()
    {
        const QMap<QString, QString> colors{{"Work", "#FF8000"}, {"Home", "not hex"}};
        QCOMPARE(profilePillColor("Work", colors), QColor::fromRgbF(1, 128 / 255.0f, 0));
        QCOMPARE(profilePillColor("Home", colors), TesselTile::color("Home"));
        QCOMPARE(profilePillColor("Other", colors), TesselTile::color("Other"));
    }

    void tabsMatchTheirLabelExactly_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("set");
        QTest::addColumn<int>("tab");
        QTest::newRow("unset") << QString() << false << int(SettingsTab::general);
        QTest::newRow("Layout") << "Layout" << true << int(SettingsTab::layout);
        QTest::newRow("Apps") << "Apps" << true << int(SettingsTab::apps);
        QTest::newRow("Appearance") << "Appearance" << true << int(SettingsTab::appearance);
        QTest::newRow("lower case") << "layout" << true << int(SettingsTab::general);
        QTest::newRow("leading space") << " Layout" << true << int(SettingsTab::general);
        QTest::newRow("empty") << "" << true << int(SettingsTab::general);
    }

    void tabsMatchTheirLabelExactly()
    {
        QFETCH(QString, value);
        QFETCH(bool, set);
        QTEST(int(SettingsTabs::initial(set ? std::optional(value) : std::nullopt)), "tab");
    }
};

QTEST_APPLESS_MAIN(TestSettingsTexts)
#include "tst_SettingsTexts.moc"

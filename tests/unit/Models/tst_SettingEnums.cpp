#include "Models/SettingEnums.h"

#include <QStringList>
#include <QTest>

namespace {

template <typename E> QStringList rawValues()
{
    QStringList texts;
    for (E value : allCases<E>())
        texts << rawValue(value);
    return texts;
}

// Every case reads back from its own raw value, and nothing else matches.
template <typename E> bool roundTrips()
{
    for (E value : allCases<E>()) {
        if (fromRawValue<E>(rawValue(value)) != value)
            return false;
        if (fromRawValue<E>(rawValue(value).toUpper()) || fromRawValue<E>(rawValue(value) + ' '))
            return false;
    }
    return !fromRawValue<E>(u"");
}

} // namespace

class TestSettingEnums : public QObject {
    Q_OBJECT
private slots:
    // The raw values are what the defaults hold: a changed spelling would
    // silently reset every user's setting.
    void storedNamesAndOrder()
    {
        QCOMPARE(rawValues<ShortcutPreset>(),
                 QStringList({"optionTab", "controlOptionTab", "optionGrave"}));
        QCOMPARE(rawValues<GlassTint>(),
                 QStringList({"none", "dynamic", "tesselGreen", "ocean", "violet", "graphite"}));
        QCOMPARE(rawValues<SurfaceStyle>(), QStringList({"frosted", "nativeHUD", "solid"}));
        QCOMPARE(rawValues<PanelPosition>(),
                 QStringList({"center", "top", "bottom", "left", "right"}));
        QCOMPARE(rawValues<AppearanceMode>(), QStringList({"system", "light", "dark", "tessel"}));
        QCOMPARE(rawValues<LayoutMode>(), QStringList({"strip", "grid"}));
        QCOMPARE(rawValues<WindowSortOrder>(), QStringList({"recentlyUsed", "windowOrder"}));

        QVERIFY(roundTrips<ShortcutPreset>());
        QVERIFY(roundTrips<GlassTint>());
        QVERIFY(roundTrips<SurfaceStyle>());
        QVERIFY(roundTrips<PanelPosition>());
        QVERIFY(roundTrips<AppearanceMode>());
        QVERIFY(roundTrips<LayoutMode>());
        QVERIFY(roundTrips<WindowSortOrder>());
    }

    void exactMatchOnly()
    {
        QCOMPARE(fromRawValue<SurfaceStyle>(u"nativeHUD"), SurfaceStyle::nativeHUD);
        QVERIFY(!fromRawValue<SurfaceStyle>(u"nativehud"));
        QVERIFY(!fromRawValue<LayoutMode>(u"Grid"));
        QVERIFY(!fromRawValue<GlassTint>(u"tessel"));
    }

    void verticalPositions()
    {
        QStringList vertical;
        for (PanelPosition position : allCases<PanelPosition>()) {
            if (isVertical(position))
                vertical << rawValue(position);
        }
        QCOMPARE(vertical, QStringList({"left", "right"}));
    }

    void tintColours()
    {
        QVERIFY(!color(GlassTint::none));
        QVERIFY(!color(GlassTint::dynamic));
        for (GlassTint tint :
             {GlassTint::tesselGreen, GlassTint::ocean, GlassTint::violet, GlassTint::graphite}) {
            const std::optional<QColor> tintColor = color(tint);
            QVERIFY(tintColor && tintColor->alphaF() == 1.0f);
        }
        QCOMPARE(color(GlassTint::graphite)->redF(), color(GlassTint::graphite)->blueF());
    }
};

QTEST_GUILESS_MAIN(TestSettingEnums)
#include "tst_SettingEnums.moc"

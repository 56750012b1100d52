#include "Settings/Preview/LivePreviewModel.h"

#include <QTest>

#include <cmath>

using namespace LivePreviewModel;

Q_DECLARE_METATYPE(PanelPosition)
Q_DECLARE_METATYPE(LayoutMode)

class TestLivePreviewModel : public QObject {
    Q_OBJECT
private slots:
    void geometryFollowsTheSettings_data()
    {
        QTest::addColumn<double>("card");
        QTest::addColumn<double>("spacing");
        QTest::addColumn<double>("padding");
        QTest::addColumn<PanelPosition>("position");
        QTest::addColumn<LayoutMode>("layout");
        QTest::addColumn<int>("apps");
        QTest::addColumn<int>("cols");
        QTest::addColumn<int>("rows");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        QTest::addColumn<double>("scale");
        QTest::addColumn<bool>("chips");

        const auto strip = LayoutMode::strip;
        const auto grid = LayoutMode::grid;
        const auto center = PanelPosition::center;
        // The defaults: a strip of four with the chip row.
        QTest::newRow("defaults, 2 apps") << 260.0 << 16.0 << 24.0 << center << strip << 2 << 4 << 1
                                          << 1216.0 << 316.5 << 0.34375 << true;
        QTest::newRow("defaults, 3 apps") << 260.0 << 16.0 << 24.0 << center << strip << 3 << 4 << 1
                                          << 1216.0 << 316.5 << 0.34375 << true;
        QTest::newRow("defaults, 1 app") << 260.0 << 16.0 << 24.0 << center << strip << 1 << 4 << 1
                                         << 1216.0 << 270.5 << 0.34375 << false;
        QTest::newRow("grid, 2 apps") << 260.0 << 16.0 << 24.0 << center << grid << 2 << 2 << 2
                                      << 624.0 << 555.0 << 240.0 / 555.0 << true;
        QTest::newRow("grid, 1 app") << 260.0 << 16.0 << 24.0 << center << grid << 1 << 2 << 2
                                     << 624.0 << 509.0 << 240.0 / 509.0 << false;
        QTest::newRow("top, strip") << 260.0 << 16.0 << 24.0 << PanelPosition::top << strip << 2
                                    << 4 << 1 << 1216.0 << 316.5 << 0.34375 << true;
        // The edges: one column, never a chip row, whatever the layout.
        QTest::newRow("left, 2 apps") << 260.0 << 16.0 << 24.0 << PanelPosition::left << strip << 2
                                      << 1 << 4 << 328.0 << 986.0 << 240.0 / 986.0 << false;
        QTest::newRow("right, grid, 3 apps")
            << 260.0 << 16.0 << 24.0 << PanelPosition::right << grid << 3 << 1 << 4 << 328.0
            << 986.0 << 240.0 / 986.0 << false;
        // The slider ends.
        QTest::newRow("smallest cards, tightest")
            << 180.0 << 4.0 << 8.0 << center << strip << 2 << 4 << 1 << 828.0 << 234.5
            << 418.0 / 828.0 << true;
        QTest::newRow("largest cards, loosest")
            << 340.0 << 40.0 << 48.0 << center << strip << 2 << 4 << 1 << 1656.0 << 414.5
            << 418.0 / 1656.0 << true;
        QTest::newRow("largest grid") << 340.0 << 40.0 << 48.0 << center << grid << 2 << 2 << 2
                                      << 856.0 << 727.0 << 240.0 / 727.0 << true;
        // A width from a hand-edited file, beyond the slider: still fits.
        QTest::newRow("900-point cards") << 900.0 << 16.0 << 24.0 << center << strip << 2 << 4 << 1
                                         << 3776.0 << 716.5 << 418.0 / 3776.0 << true;
    }

    void geometryFollowsTheSettings()
    {
        QFETCH(double, card);
        QFETCH(double, spacing);
        QFETCH(double, padding);
        QFETCH(PanelPosition, position);
        QFETCH(LayoutMode, layout);
        QFETCH(int, apps);

        const Geometry g =
            geometry({card, spacing, padding, position, layout, {}}, std::min(apps, 2));
        QTEST(g.cols, "cols");
        QTEST(g.rows, "rows");
        QTEST(g.width, "width");
        QTEST(g.height, "height");
        QTEST(g.scale, "scale");
        QTEST(g.showsChips(), "chips");
        // Never enlarged, never beyond the room of the tab.
        QVERIFY(g.scale <= 1);
        QVERIFY(g.framedSize().width() <= maxWidth + 1e-9);
        QVERIFY(g.framedSize().height() <= maxHeight + 1e-9);
        QCOMPARE(g.framedSize(), QSizeF(g.width * g.scale, g.height * g.scale));
    }

    void defaultFrameIsTheDocumentedSize()
    {
        const Geometry two = geometry({}, 2);
        QCOMPARE(two.framedSize(), QSizeF(418, 108.796875));
        const Geometry one = geometry({}, 1);
        QCOMPARE(one.framedSize(), QSizeF(418, 92.984375));
        const Geometry grid =
            geometry({260, 16, 24, PanelPosition::center, LayoutMode::grid, {}}, 2);
        QCOMPARE(std::round(grid.framedSize().width() * 100) / 100, 269.84);
        QCOMPARE(grid.framedSize().height(), 240.0);
    }

    void previewAppsAreTheFirstTwoEnabled_data()
    {
        QTest::addColumn<QList<Browser>>("enabled");
        QTest::addColumn<QList<Browser>>("shown");
        QTest::newRow("none: Safari") << QList<Browser>{} << QList<Browser>{Browser::safari};
        QTest::newRow("one") << QList<Browser>{Browser::finder} << QList<Browser>{Browser::finder};
        QTest::newRow("three: first two")
            << QList<Browser>{Browser::chrome, Browser::arc, Browser::finder}
            << QList<Browser>{Browser::chrome, Browser::arc};
    }

    void previewAppsAreTheFirstTwoEnabled()
    {
        QFETCH(QList<Browser>, enabled);
        QTEST(previewBrowsers(enabled), "shown");
    }

    void samplesAreFourPublicSites()
    {
        const QList<SafariWindow> two = previewWindows({Browser::chrome, Browser::arc});
        QCOMPARE(two.size(), 4);
        const QStringList titles{"GitHub", "Linear", "Figma", "Notion"};
        const QStringList hosts{"github.com", "linear.app", "figma.com", "notion.com"};
        const QList<Browser> apps{Browser::chrome, Browser::chrome, Browser::arc, Browser::arc};
        for (int i = 0; i < 4; ++i) {
            const SafariWindow& w = two.at(i);
            QCOMPARE(w.title, titles.at(i));
            QCOMPARE(w.domain(), std::optional<QString>(hosts.at(i)));
            QCOMPARE(w.browser, apps.at(i));
            QCOMPARE(w.scriptWindowID,
                     std::optional<QString>(apps.at(i).rawValue() + "-" + titles.at(i)));
            QCOMPARE(w.id(), QStringLiteral("as-") + apps.at(i).rawValue() + "-" +
                                 apps.at(i).rawValue() + "-" + titles.at(i));
            QCOMPARE(w.tabCount, std::optional<int>(3));
            QVERIFY(!w.windowID && !w.axElement && !w.isMinimized);
        }
        // One app: all four belong to it.
        for (const SafariWindow& w : previewWindows({Browser::safari}))
            QCOMPARE(w.browser, Browser::safari);
    }

    void tintByTheme()
    {
        QCOMPARE(tintColor(AppearanceMode::tessel, GlassTint::ocean), std::nullopt);
        QCOMPARE(tintColor(AppearanceMode::system, GlassTint::none), std::nullopt);
        QCOMPARE(tintColor(AppearanceMode::system, GlassTint::dynamic),
                 std::optional<QColor>(QColor::fromRgbF(0.36f, 0.44f, 0.62f)));
        QCOMPARE(tintColor(AppearanceMode::dark, GlassTint::ocean), color(GlassTint::ocean));
    }
};

QTEST_APPLESS_MAIN(TestLivePreviewModel)
#include "tst_LivePreviewModel.moc"

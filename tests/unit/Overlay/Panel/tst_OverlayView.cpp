#include "Overlay/Panel/OverlayView.h"

#include "Brand/TesselBrand.h"
#include "Brand/TesselTile.h"
#include "Overlay/Cards/CardCollectionView.h"
#include "Overlay/Cards/WindowCardRules.h"
#include "Overlay/Chips/AllChip.h"
#include "Overlay/Chips/AppChipBar.h"
#include "Overlay/Chips/BrowserIconChip.h"
#include "Overlay/Chips/SearchPill.h"
#include "Overlay/OverlayRules.h"
#include "support/OverlayFixture.h"
#include "support/WidgetRender.h"

#include <QPainter>
#include <QProxyStyle>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

namespace {

constexpr double ratio = 2;

// The view as it is on screen, at two pixels per point.
QImage grab(QWidget& view)
{
    QImage image(view.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    view.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}

QColor at(const QImage& image, QPointF point)
{
    return QColor::fromRgba(image.pixel((point * ratio).toPoint()));
}

QColor blend(const QColor& under, const QColor& over, double alpha)
{
    return QColor::fromRgbF(float(under.redF() * (1 - alpha) + over.redF() * alpha),
                            float(under.greenF() * (1 - alpha) + over.greenF() * alpha),
                            float(under.blueF() * (1 - alpha) + over.blueF() * alpha));
}

// Immediate changes, and no captures where the test needs no snapshot
// (writing their thumbnails is most of a showing's cost).
SimModel reducedMotion(SimModel model, bool capture = false)
{
    model.reduceMotion = true;
    model.screenRecordingGranted = capture;
    return model;
}

OverlayView& shownView(OverlayFixture& fixture)
{
    OverlayView* view = fixture.controller.hostingView();
    Q_ASSERT(view);
    return *view;
}

// A free-standing view over the fixture's controller, at a fixed size.
std::unique_ptr<OverlayView> standalone(OverlayFixture& fixture, QSize size = {1100, 330})
{
    auto view = std::make_unique<OverlayView>(fixture.controller, fixture.preferences);
    view->resize(size);
    view->show();
    QCoreApplication::processEvents();
    return view;
}

class QuickToolTipStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

} // namespace

class TestOverlayView : public QObject {
    Q_OBJECT
private slots:
    // Chips above the cards, in a rail on the side facing the screen's
    // middle, or not at all; the search pill just under the chip row.
    void chipsAndSearchPillPlacement_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("scoped");
        QTest::addColumn<QString>("chips"); // "row", "rail left", "rail right", "none"
        QTest::addColumn<int>("pillTop");
        QTest::newRow("centre: chip row") << int(PanelPosition::center) << false << "row" << 50;
        QTest::newRow("left edge: rail on the right")
            << int(PanelPosition::left) << false << "rail right" << 10;
        QTest::newRow("right edge: rail on the left")
            << int(PanelPosition::right) << false << "rail left" << 10;
        QTest::newRow("scoped: no chips") << int(PanelPosition::center) << true << "none" << 10;
    }
    void chipsAndSearchPillPlacement()
    {
        QFETCH(int, position);
        QFETCH(bool, scoped);
        QFETCH(QString, chips);
        QFETCH(int, pillTop);
        OverlayFixture fixture(reducedMotion(OverlayFixture::defaultScenario()));
        fixture.preferences.setPanelPosition(PanelPosition(position));
        fixture.showAndSettle(1, scoped ? std::optional<Browser>(Browser::safari) : std::nullopt);
        auto view = standalone(fixture, QSize(700, 900));

        QCOMPARE(view->chipRow().isVisible(), chips == "row");
        QCOMPARE(view->chipRail().isVisible(), chips.startsWith("rail"));
        if (chips == "row") {
            QCOMPARE(view->chipRow().geometry().height(), 46);
            QCOMPARE(view->chipRow().mapTo(view.get(), QPoint(0, 0)).y(), 0);
            QCOMPARE(view->cardScrollArea().mapTo(view.get(), QPoint(0, 0)).y(), 46);
        } else if (chips.startsWith("rail")) {
            const QRect rail = view->chipRail().geometry();
            QCOMPARE(rail.width(), 58);
            QCOMPARE(rail.height(), view->height());
            QCOMPARE(rail.x(), chips == "rail left" ? 0 : view->width() - 58);
            const QRect cards(view->cardScrollArea().mapTo(view.get(), QPoint(0, 0)),
                              view->cardScrollArea().size());
            QVERIFY(!cards.intersects(rail));
        }
        QVERIFY(view->searchPill().isVisible());
        QCOMPARE(view->searchPill().y(), pillTop);
        QCOMPARE(view->searchPill().geometry().center().x(), view->rect().center().x());

        // App pills on the cards only when several apps are listed.
        QCOMPARE(view->cards().content(0).showBrowserBadge, !scoped);
    }

    void chipTooltipsAndStates()
    {
        OverlayFixture fixture(reducedMotion(OverlayFixture::defaultScenario()));
        fixture.showAndSettle();
        auto view = standalone(fixture);
        const QList<AllChip*> all = view->chipRow().findChildren<AllChip*>();
        const QList<BrowserIconChip*> apps = view->chipRow().findChildren<BrowserIconChip*>();
        QCOMPARE(all.size(), 1);
        QCOMPARE(apps.size(), fixture.controller.availableFilters().size());
        QCOMPARE(all[0]->toolTip(), QStringLiteral("Show every app (\u23181)"));
        QVERIFY(all[0]->isActive());
        for (int i = 0; i < apps.size(); ++i) {
            QCOMPARE(apps[i]->browser(), fixture.controller.availableFilters()[i]);
            QVERIFY(!apps[i]->isActive());
            QCOMPARE(apps[i]->size(), QSize(32, 32));
        }
        QCOMPARE(apps[1]->toolTip(),
                 QStringLiteral("Show only %1 (\u23183)").arg(apps[1]->browser().displayName()));

        // Clicking an app chip narrows the cards to it and selects the first.
        const Browser chosen = apps[1]->browser();
        fixture.controller.cycle(1);
        QTest::mouseClick(apps[1], Qt::LeftButton);
        QCOMPARE(fixture.controller.activeFilter(), std::optional<Browser>(chosen));
        QCOMPARE(fixture.controller.selectedIndex(), 0);
        QVERIFY(fixture.controller.userAdjusted());
        for (const SafariWindow& window : fixture.controller.windows())
            QCOMPARE(window.browser, chosen);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the old chips go
        const QList<BrowserIconChip*> rebuilt = view->chipRow().findChildren<BrowserIconChip*>();
        QCOMPARE(rebuilt.size(), apps.size());
        QVERIFY(rebuilt[1]->isActive());
        QVERIFY(!view->chipRow().findChildren<AllChip*>().first()->isActive());

        // A click while the panel is hiding changes nothing.
        fixture.controller.hide();
        QTest::mouseClick(view->chipRow().findChildren<AllChip*>().first(), Qt::LeftButton);
        QCOMPARE(fixture.controller.activeFilter(), std::optional<Browser>(chosen));
    }

    // The tint layer over a solid light surface: 0.4 gives 26 %, 1 gives 65 %.
    void tintStrength_data()
    {
        QTest::addColumn<double>("opacity");
        QTest::addColumn<double>("strength");
        QTest::newRow("default 0.4") << 0.4 << 0.26;
        QTest::newRow("full") << 1.0 << 0.65;
    }
    void tintStrength()
    {
        QFETCH(double, opacity);
        QFETCH(double, strength);
        OverlayFixture fixture(reducedMotion(OverlayFixture::defaultScenario()));
        fixture.preferences.setAppearanceMode(AppearanceMode::light);
        fixture.preferences.setSurfaceStyle(SurfaceStyle::solid);
        fixture.preferences.setGlassTint(GlassTint::ocean);
        fixture.preferences.setTintOpacity(opacity);
        fixture.showAndSettle();
        auto view = standalone(fixture);
        // Between the chips and the cards' padding, near the top edge.
        const QColor probe = at(grab(*view), QPointF(view->width() / 2.0, 4));
        const QColor expected =
            blend(ColorScheme::light().windowBackground, *color(GlassTint::ocean), strength);
        QVERIFY2(near(probe, expected), qPrintable(describe(probe) + " vs " + describe(expected)));

        // The brand theme ignores surface and tint: cream.
        fixture.preferences.setAppearanceMode(AppearanceMode::tessel);
        QVERIFY(near(at(grab(*view), QPointF(view->width() / 2.0, 4)), TesselBrand::cream(), 1));
    }

    // The dynamic tint follows the highlighted card, hovered or selected.
    void dynamicTintFollowsTheHighlight()
    {
        OverlayFixture fixture(reducedMotion(OverlayFixture::defaultScenario()));
        fixture.preferences.setShowWindowPreviews(false);
        fixture.preferences.setGlassTint(GlassTint::dynamic);
        fixture.showAndSettle();
        auto view = standalone(fixture);
        const auto monogramColour = [&](int index) {
            return TesselTile::color(
                WindowCardRules::monogramName(fixture.controller.windows()[index]));
        };
        const int selected = fixture.controller.selectedIndex();
        QCOMPARE(view->tint().rgb(), monogramColour(selected).rgb());
        QVERIFY(std::abs(view->tint().alphaF() - 0.26) < 0.01);
        fixture.controller.hoverCard(3);
        QCOMPARE(view->tint().rgb(), monogramColour(3).rgb());
        fixture.controller.setHoveredIndex(std::nullopt);
        QCOMPARE(view->tint().rgb(), monogramColour(selected).rgb());
    }

    // Previews off: monogram tiles although snapshots are cached.
    void previewsOffShowTheMonogram()
    {
        OverlayFixture fixture(reducedMotion(OverlayFixture::defaultScenario()));
        fixture.sim.host.modify([](SimModel& model) { model.screenRecordingGranted = true; });
        fixture.preferences.setAppearanceMode(AppearanceMode::light);
        fixture.preferences.setSurfaceStyle(SurfaceStyle::solid);
        fixture.preferences.setGlassTint(GlassTint::none);
        fixture.showAndSettle();
        QVERIFY(!fixture.controller.snapshots().isEmpty());
        auto view = standalone(fixture);
        const int index = int(std::distance(
            fixture.controller.windows().cbegin(),
            std::find_if(fixture.controller.windows().cbegin(), fixture.controller.windows().cend(),
                         [&](const SafariWindow& window) {
                             return fixture.controller.snapshots().contains(window.id());
                         })));
        QVERIFY(!view->cards().content(index).image.isNull());
        fixture.preferences.setShowWindowPreviews(false);
        QVERIFY(view->cards().content(index).image.isNull());
        const QRect card = view->cards().cardRect(index);
        // Low on the tile's left, clear of the pills and the letter.
        const QPoint tileCorner = view->cards().mapTo(
            view.get(),
            card.topLeft() + QPoint(22, int(10 + fixture.preferences.cardWidth() * 0.625 - 12)));
        const QColor expected =
            TesselTile::color(WindowCardRules::monogramName(fixture.controller.windows()[index]));
        const QColor probe = at(grab(*view), tileCorner);
        QVERIFY2(std::abs(probe.hsvHue() - expected.hsvHue()) <= 4, qPrintable(describe(probe)));
    }

    // Hover reports the card, leaving the panel clears it, a click commits.
    void hoverLeaveAndClick()
    {
        OverlayFixture fixture(reducedMotion(OverlayFixture::defaultScenario()));
        fixture.showAndSettle();
        OverlayView& view = shownView(fixture);
        CardCollectionView& cards = view.cards();
        QTest::mouseMove(&cards, cards.cardRect(2).center());
        QTRY_COMPARE(fixture.controller.hoveredIndex(), std::optional<int>(2));
        // Between cards nothing changes; the next card re-targets.
        QTest::mouseMove(&cards, cards.cardRect(3).center());
        QTRY_COMPARE(fixture.controller.hoveredIndex(), std::optional<int>(3));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&view, &leave);
        QCOMPARE(fixture.controller.hoveredIndex(), std::nullopt);

        const SafariWindow clicked = fixture.controller.windows()[1];
        QTest::mouseClick(&cards, Qt::LeftButton, {}, cards.cardRect(1).center());
        QTRY_VERIFY(!fixture.controller.isVisible());
        QTRY_COMPARE(
            fixture.sim.host.read([](const SimModel& model) { return model.frontmostPid; }),
            std::optional<pid_t>(clicked.pid));
    }

    // Presses between the cards are left to the panel, which drags on them.
    void pressesOnTheBackgroundPassThrough()
    {
        OverlayFixture fixture(reducedMotion(OverlayFixture::defaultScenario()));
        fixture.showAndSettle();
        auto view = standalone(fixture);
        CardCollectionView& cards = view->cards();
        const QPoint gap(cards.cardRect(0).right() + 4, cards.cardRect(0).center().y());
        QCOMPARE(cards.cardAt(gap), -1);
        QMouseEvent press(QEvent::MouseButtonPress, gap, cards.mapToGlobal(gap), Qt::LeftButton,
                          Qt::LeftButton, {});
        QCoreApplication::sendEvent(&cards, &press);
        QVERIFY(!press.isAccepted());
        const QPoint onCard = cards.cardRect(0).center();
        QMouseEvent pressCard(QEvent::MouseButtonPress, onCard, cards.mapToGlobal(onCard),
                              Qt::LeftButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&cards, &pressCard);
        QVERIFY(pressCard.isAccepted());
    }

    // The chips' looks per state and theme; an app without an icon shows a
    // dot in its badge colour inside the same 32-point chip.
    void chipLooks()
    {
        const ColorScheme light = ColorScheme::light();
        const AllChip::Style brandActive = AllChip::style(true, true, light);
        QCOMPARE(brandActive.text, QColor(Qt::white));
        QCOMPARE(brandActive.fill, TesselBrand::forest());
        QCOMPARE(AllChip::style(false, true, light).text, TesselBrand::ink());
        QCOMPARE(AllChip::style(true, false, light).fill.rgb(), light.accent.rgb());
        const BrowserIconChip::Style brandChip = BrowserIconChip::style(true, true, light);
        QCOMPARE(brandChip.fill, TesselBrand::hoverFill());
        QCOMPARE(brandChip.border, TesselBrand::forest());
        QCOMPARE(BrowserIconChip::style(false, false, light).opacity, 0.55);

        const auto centre = [](BrowserIconChip& chip) { return at(grab(chip), QPointF(16, 16)); };
        QImage icon(48, 48, QImage::Format_ARGB32_Premultiplied);
        icon.fill(QColor(10, 200, 10));
        BrowserIconChip withIcon(Browser::chrome, icon, true, false, light);
        QCOMPARE(centre(withIcon).rgb(), QColor(10, 200, 10).rgb());
        BrowserIconChip withoutIcon(Browser::chrome, QImage(), true, false, light);
        QCOMPARE(withoutIcon.size(), QSize(32, 32));
        QCOMPARE(centre(withoutIcon).rgb(), Browser(Browser::chrome).badgeColor().rgb());
        // The dot is 16 points across: 7 points out is still inside, 9 is not.
        QCOMPARE(at(grab(withoutIcon), QPointF(16 + 7, 16)).rgb(),
                 Browser(Browser::chrome).badgeColor().rgb());
        QVERIFY(at(grab(withoutIcon), QPointF(16 + 9, 16)).rgb() !=
                Browser(Browser::chrome).badgeColor().rgb());
    }

    // Two listed windows with one id highlight together.
    void sameIdHighlightsTogether()
    {
        CardCollectionView cards;
        SafariWindow a;
        a.windowID = 1;
        a.title = QStringLiteral("A");
        SafariWindow b = a;
        b.windowID = 2;
        cards.setCards({a, b, a}, {});
        cards.resize(cards.sizeHint());
        cards.setHighlighted(0);
        QVERIFY(cards.content(0).isSelected);
        QVERIFY(!cards.content(1).isSelected);
        QVERIFY(cards.content(2).isSelected);
        QSignalSpy clicked(&cards, &CardCollectionView::cardClicked);
        QTest::mouseClick(&cards, Qt::LeftButton, {}, cards.cardRect(2).center());
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked[0][0].toInt(), 2); // the view maps it to the first with that id
    }

    // A query too long for one line is wrapped and drawn whole; one longer
    // than every line the space holds loses characters from its middle and
    // keeps the last typed ones. Either stays centred and clear of the pill,
    // which the least padding brings closest.
    void emptyTextWrapsBeforeItElides()
    {
        OverlayFixture fixture(reducedMotion(OverlayFixture::defaultScenario()));
        fixture.preferences.setContainerPadding(8);
        const QString words = QStringLiteral("alpha bravo charlie delta echo foxtrot golf hotel");
        for (const QString& query : {words, (words + ' ').repeated(20) + QStringLiteral("END")}) {
            fixture.showAndSettle(); // each query typed into a showing of its own
            fixture.controller.type(query);
            QCoreApplication::processEvents();
            QVERIFY(fixture.controller.windows().isEmpty());
            OverlayView& view = shownView(fixture);
            const CardCollectionView& cards = view.cards();
            const QStringList lines = cards.emptyTextBlock().lines();
            const QString drawn = lines.join(QString());
            QVERIFY(lines.size() > 1);
            if (query == words) {
                QCOMPARE(drawn, OverlayRules::emptyText(query));
            } else {
                QVERIFY2(drawn.startsWith(QStringLiteral("No windows match \u201Calpha")) &&
                             drawn.endsWith(QStringLiteral("hotel END\u201D")) &&
                             drawn.contains(QChar(0x2026)),
                         qPrintable(drawn));
            }
            const QRectF where = cards.emptyTextRect();
            const QRect pill = view.searchPill().geometry();
            QVERIFY(where.top() > cards.mapFrom(&view, pill.bottomLeft()).y());
            QVERIFY(where.bottom() < cards.height());
            QVERIFY(std::abs(where.center().y() - cards.height() / 2.0) < 1);
        }
    }

    void emptyStates()
    {
        OverlayFixture fixture(reducedMotion(OverlayFixture::defaultScenario()));
        fixture.showAndSettle();
        auto view = standalone(fixture);
        fixture.controller.type(QStringLiteral("no such window"));
        QVERIFY(fixture.controller.windows().isEmpty());
        QCOMPARE(view->cards().emptyText(),
                 QStringLiteral("No windows match \u201Cno such window\u201D"));
        QVERIFY(view->searchPill().isVisible());
        QCOMPARE(view->searchPill().query(), QStringLiteral("no such window"));
        fixture.sim.host.modify([](SimModel& model) { model.instances.clear(); });
        fixture.controller.hide();

        OverlayFixture nothing(reducedMotion(OverlayFixture::defaultScenario()));
        nothing.sim.host.modify([](SimModel& model) { model.instances.clear(); });
        nothing.showAndSettle();
        auto empty = standalone(nothing);
        QCOMPARE(empty->cards().emptyText(), QStringLiteral("No browser windows open"));
        QVERIFY(!empty->searchPill().isVisible());
    }

    // Selecting a card out of view scrolls it in, by the least movement.
    void selectionScrollsIntoView()
    {
        OverlayFixture fixture(reducedMotion(OverlayFixture::manyWindows(30)));
        fixture.showAndSettle();
        auto view = standalone(fixture, QSize(900, 300));
        fixture.controller.cycle(-2); // from the second card to the last
        const int last = int(fixture.controller.windows().size()) - 1;
        QCOMPARE(fixture.controller.selectedIndex(), last);
        QScrollArea& area = view->cardScrollArea();
        const QRect card = view->cards().cardRect(last);
        const int scrolled = area.horizontalScrollBar()->value();
        QCOMPARE(card.right() + 1 - scrolled, area.viewport()->width());
        // Hover never scrolls.
        fixture.controller.hoverCard(0);
        QCOMPARE(area.horizontalScrollBar()->value(), scrolled);
        // A mouse wheel turns the strip back.
        QWheelEvent wheel(QPointF(10, 10), area.viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                          QPoint(0, 120), Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(area.viewport(), &wheel);
        QVERIFY(area.horizontalScrollBar()->value() < scrolled);
    }

    // A re-listing that adds windows before the selected one moves its card
    // further along the strip, past where the strip ended: it is still
    // scrolled fully into view.
    void growingListKeepsTheSelectionInView()
    {
        SimScenarioBuilder builder = OverlayFixture::desktop();
        builder.install(Browser::firefox);
        QStringList titles;
        for (int i = 0; i < 12; ++i)
            titles << QStringLiteral("Window %1").arg(i);
        OverlayFixture::withWindows(builder, Browser::firefox, 700, titles, 1000);
        OverlayFixture fixture(reducedMotion(builder.build()));
        fixture.showAndSettle(-1);
        fixture.controller.hide();
        fixture.changeModel([](SimModel& model) {
            auto& windows = model.instance(700)->windows;
            windows.prepend(OverlayFixture::window(QStringLiteral("New 1"), 2000));
            windows.prepend(OverlayFixture::window(QStringLiteral("New 2"), 2001));
        });
        fixture.controller.show(-1, std::nullopt); // from the cache: the last of twelve
        QCoreApplication::processEvents();
        fixture.controller.finishBackgroundDiscovery();
        QCoreApplication::processEvents();
        QCOMPARE(fixture.controller.windows().size(), 14);
        QCOMPARE(fixture.selectedTitle(), QStringLiteral("Window 11"));

        OverlayView& view = shownView(fixture);
        const QScrollArea& area = view.cardScrollArea();
        const QRect card = view.cards().cardRect(fixture.controller.selectedIndex());
        const int left = area.horizontalScrollBar()->value();
        QVERIFY2(card.left() >= left && card.right() < left + area.viewport()->width(),
                 qPrintable(QStringLiteral("card %1..%2, shown %3..%4")
                                .arg(card.left())
                                .arg(card.right())
                                .arg(left)
                                .arg(left + area.viewport()->width())));
    }

    // The panel never becomes the active window, yet the chips' help texts
    // naming their shortcuts still come up under the pointer.
    void chipToolTipsShowOnTheInactivePanel()
    {
        OverlayFixture fixture(reducedMotion(OverlayFixture::defaultScenario()));
        fixture.showAndSettle();
        OverlayView& view = shownView(fixture);
        QWidget frontmost; // the application the user is in
        frontmost.show();
        frontmost.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frontmost));
        QVERIFY(!view.window()->isActiveWindow());
        BrowserIconChip* chip = view.chipRow().findChildren<BrowserIconChip*>().value(1);
        QVERIFY(chip);
        // The help text wakes at once instead of after the style's delay.
        QuickToolTipStyle style;
        chip->setStyle(&style);
        QTest::mouseMove(chip, chip->rect().center());
        QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 500);
        QCOMPARE(QToolTip::text(), chip->toolTip());
        QToolTip::hideText();
        chip->setStyle(nullptr);
    }

    // A thousand windows in a grid: only what the viewport shows is drawn.
    void gridPaintsOnlyTheVisibleCards()
    {
        OverlayFixture fixture(reducedMotion(OverlayFixture::manyWindows(1000)));
        fixture.preferences.setLayoutMode(LayoutMode::grid);
        fixture.preferences.setShowWindowPreviews(false);
        fixture.showAndSettle();
        QCOMPARE(fixture.controller.windows().size(), 1000);
        auto view = standalone(fixture, QSize(1200, 800));
        const QSize viewport = view->cardScrollArea().viewport()->size();
        const QSizeF cell = WindowCard::cardSize(fixture.preferences.cardWidth());
        const int columns = std::max(fixture.controller.columns(), 1);
        const int visibleRows = int(viewport.height() / cell.height()) + 2;
        grab(*view);
        QVERIFY(view->cards().paintedCardCount() > 0);
        QVERIFY2(view->cards().paintedCardCount() <= columns * visibleRows,
                 qPrintable(QString::number(view->cards().paintedCardCount())));
        // No widget per card.
        QVERIFY(view->cards().findChildren<QWidget*>().isEmpty());
    }
};

QTEST_MAIN(TestOverlayView)
#include "tst_OverlayView.moc"

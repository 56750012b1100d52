// The settings window as a user meets it: controls bound to the live store,
// changes made elsewhere showing at once, the window's life, and what is
// drawn, probed on offscreen grabs at two pixels per point.
#include "Brand/ColorScheme.h"
#include "Brand/TesselBrand.h"
#include "Brand/TesselTile.h"
#include "Overlay/Cards/CardCollectionView.h"
#include "Overlay/Panel/OverlayView.h"
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Services/PreferencesService.h"
#include "Settings/Controls/ColorWell.h"
#include "Settings/Controls/MiniSwitch.h"
#include "Settings/Controls/ReadoutLabel.h"
#include "Settings/Controls/SegmentedControl.h"
#include "Settings/Controls/TabButton.h"
#include "Settings/Preview/LivePreview.h"
#include "Settings/Preview/PreviewMiniature.h"
#include "Settings/SettingsView.h"
#include "Settings/SettingsWindowController.h"
#include "Settings/Tabs/AppCell.h"
#include "Settings/Tabs/AppearanceTab.h"
#include "Settings/Tabs/AppsTab.h"
#include "Settings/Tabs/LayoutTab.h"
#include "Settings/Tabs/ProfileColorList.h"
#include "support/OverlayFixture.h"
#include "support/WidgetRender.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

#include <functional>
#include <memory>

namespace {

using Action = std::function<void(SettingsView&)>;

// A simulated desktop with Safari, Chrome and Finder installed and a store
// loaded from the given stored values.
struct Fixture {
    explicit Fixture(const QVariantMap& stored = {})
        : sim(SimScenarioBuilder()
                  .install(Browser::safari)
                  .install(Browser::chrome)
                  .install(Browser::finder)
                  .screen({0, 0, 1440, 900}, {0, 0, 1440, 875}, "Built-in Display")
                  .build()),
          icons(sim.workspace)
    {
        sim.defaults.set("containerRadiusMigrated", true);
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            sim.defaults.set(it.key(), it.value());
        preferences = std::make_unique<PreferencesService>(sim.defaults, sim.workspace,
                                                           sim.loginItems, sim.systemLog);
    }

    OverlayEnvironment environment() { return {sim.screens, sim.workspace, icons}; }

    std::unique_ptr<SettingsView> view(SettingsTab tab = SettingsTab::general)
    {
        auto settings = std::make_unique<SettingsView>(
            *preferences, [this] { ++permissionCalls; }, environment());
        settings->setTab(tab);
        settings->show();
        return settings;
    }

    QVariant stored(const QString& key) const { return sim.defaults.values().value(key); }

    SimPlatform sim;
    BrowserIconCache icons;
    std::unique_ptr<PreferencesService> preferences;
    int permissionCalls = 0;
};

template <typename T> T* named(QWidget& root, const QString& text)
{
    for (T* widget : root.findChildren<T*>()) {
        if (widget->text() == text)
            return widget;
    }
    qFatal("no control \"%s\"", qPrintable(text));
}

template <typename T> T* nth(QWidget* root, int index)
{
    const QList<T*> all = root->findChildren<T*>();
    if (index >= all.size())
        qFatal("no control %d", index);
    return all.at(index);
}

void click(QWidget* widget, QPoint at = {})
{
    QTest::mouseClick(widget, Qt::LeftButton, {},
                      at.isNull() ? QPoint(6, widget->height() / 2) : at);
}

QImage grabAtScale2(QWidget& widget)
{
    QImage image(widget.size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    widget.render(&image);
    return image;
}

// Counts the mouse presses that reach a widget, from itself or passed on by
// its children.
struct PressesReaching : QObject {
    explicit PressesReaching(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::MouseButtonPress ? 1 : 0;
        return false;
    }
    int count = 0;
};

} // namespace

Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(SettingsTab)

class TestSettingsView : public QObject {
    Q_OBJECT
private slots:
    void init() { qunsetenv("TESSEL_SETTINGS_TAB"); }

    // Each control, used as a user would, stores its setting at once.
    void everyControlStoresAtOnce_data()
    {
        QTest::addColumn<SettingsTab>("tab");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");

        const auto general = SettingsTab::general;
        const auto appearance = SettingsTab::appearance;
        const auto layout = SettingsTab::layout;
        QTest::newRow("command backtick") << general << Action([](SettingsView& v) {
            click(named<QCheckBox>(v, "⌘ ` opens the switcher"));
        }) << "enhanceCommandBacktick" << QVariant(false);
        QTest::newRow("shortcut preset") << general << Action([](SettingsView& v) {
            click(named<QRadioButton>(v, "⌃⌥ Control + Option + Tab"));
        }) << "shortcutPreset" << QVariant("controlOptionTab");
        QTest::newRow("window previews") << general << Action([](SettingsView& v) {
            click(named<QCheckBox>(v, "Window previews"));
        }) << "showWindowPreviews" << QVariant(false);
        QTest::newRow("app switch") << SettingsTab::apps << Action([](SettingsView& v) {
            click(v.appsTab()->cells().at(int(Browser::chrome))->toggle());
        }) << "enabledBrowsers" << QVariant(QVariantList{"finder", "safari"});
        QTest::newRow("theme") << appearance << Action([](SettingsView& v) {
            auto* theme = nth<SegmentedControl>(v.appearanceTab(), 0);
            click(theme, theme->segmentRect(3).center());
        }) << "appearanceMode" << QVariant("tessel");
        QTest::newRow("card size") << appearance << Action([](SettingsView& v) {
            QTest::keyClick(nth<QSlider>(v.appearanceTab(), 0), Qt::Key_Right);
        }) << "cardWidth" << QVariant(270.0);
        QTest::newRow("profile badges") << appearance << Action([](SettingsView& v) {
            click(named<QCheckBox>(v, "Show Safari profile badges"));
        }) << "showProfileBadge" << QVariant(false);
        QTest::newRow("surface") << appearance << Action([](SettingsView& v) {
            QTest::keyClick(v.appearanceTab()->surfacePicker(), Qt::Key_Down);
        }) << "surfaceStyle" << QVariant("nativeHUD");
        QTest::newRow("glass tint") << appearance << Action([](SettingsView& v) {
            QTest::keyClick(v.appearanceTab()->tintPicker(), Qt::Key_Up);
        }) << "glassTint" << QVariant("dynamic");
        QTest::newRow("tint strength") << appearance << Action([](SettingsView& v) {
            QTest::keyClick(v.appearanceTab()->tintSlider(), Qt::Key_PageUp);
        }) << "tintOpacity" << QVariant(0.5);
        QTest::newRow("arrangement")
            << layout << Action([](SettingsView& v) { click(named<QRadioButton>(v, "Grid")); })
            << "layoutMode" << QVariant("grid");
        QTest::newRow("position") << layout << Action([](SettingsView& v) {
            QTest::keyClick(nth<QComboBox>(v.layoutTab(), 0), Qt::Key_End);
        }) << "panelPosition" << QVariant("right");
        QTest::newRow("display") << layout << Action([](SettingsView& v) {
            QTest::keyClick(v.layoutTab()->displayPicker(), Qt::Key_End);
        }) << "preferredScreen" << QVariant("Built-in Display");
        QTest::newRow("sort order") << layout << Action([](SettingsView& v) {
            click(named<QRadioButton>(v, "Window order (front to back)"));
        }) << "sortOrder" << QVariant("windowOrder");
        QTest::newRow("roundness to 0") << layout << Action([](SettingsView& v) {
            QTest::keyClick(nth<QSlider>(v.layoutTab(), 0), Qt::Key_Home);
        }) << "cornerRadius" << QVariant(0.0);
        QTest::newRow("spacing to 40") << layout << Action([](SettingsView& v) {
            QTest::keyClick(nth<QSlider>(v.layoutTab(), 1), Qt::Key_End);
        }) << "windowSpacing" << QVariant(40.0);
        QTest::newRow("padding down") << layout << Action([](SettingsView& v) {
            QTest::keyClick(nth<QSlider>(v.layoutTab(), 2), Qt::Key_Left);
        }) << "containerPadding" << QVariant(23.0);
    }

    void everyControlStoresAtOnce()
    {
        QFETCH(SettingsTab, tab);
        QFETCH(Action, action);
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        Fixture fixture({{"enabledBrowsers", QVariantList{"chrome", "finder", "safari"}},
                         {"offeredApps", QVariantList{}}});
        QVERIFY(!fixture.stored(key).isValid() || key == "enabledBrowsers");
        auto view = fixture.view(tab);
        action(*view);
        QCOMPARE(fixture.stored(key), value);
    }

    // The switcher open on the simulated desktop redraws as the window's
    // controls move: nothing is copied, nothing waits for an Apply.
    void theOpenOverlayFollowsTheControls()
    {
        OverlayFixture overlay(OverlayFixture::defaultScenario());
        overlay.showAndSettle();
        OverlayView* shown = overlay.controller.hostingView();
        QVERIFY(shown);
        SettingsView view(overlay.preferences, [] {},
                          {overlay.sim.screens, overlay.sim.workspace, overlay.icons});
        view.setTab(SettingsTab::appearance);
        view.show();

        QTest::keyClick(view.appearanceTab()->tintSlider(), Qt::Key_End);
        QCOMPARE(shown->tint().alphaF(), 0.65f);
        QTest::keyClick(nth<QSlider>(view.appearanceTab(), 0), Qt::Key_Home);
        QCOMPARE(shown->cards().arrangement().thumbWidth, 180.0);

        view.setTab(SettingsTab::layout);
        QTest::keyClick(nth<QSlider>(view.layoutTab(), 1), Qt::Key_End);
        QCOMPARE(shown->cards().arrangement().spacing, 40.0);
        click(named<QRadioButton>(view, "Grid"));
        QCOMPARE(shown->cards().arrangement().kind, OverlayRules::Arrangement::grid);

        view.setTab(SettingsTab::appearance);
        auto* theme = nth<SegmentedControl>(view.appearanceTab(), 0);
        click(theme, theme->segmentRect(3).center());
        QCOMPARE(shown->tint().alpha(), 0); // the brand theme has no tint
    }

    // Scrolling the body with the pointer over a pop-up or a slider scrolls
    // on and changes nothing, however many pass under the pointer.
    void aWheelPassingOverControlsOnlyScrolls_data()
    {
        QTest::addColumn<SettingsTab>("tab");
        QTest::newRow("appearance") << SettingsTab::appearance;
        QTest::newRow("layout") << SettingsTab::layout;
    }

    void aWheelPassingOverControlsOnlyScrolls()
    {
        QFETCH(SettingsTab, tab);
        Fixture fixture;
        auto view = fixture.view(tab);
        const QVariantMap before = fixture.sim.defaults.values();
        QScrollBar* scroll = view->body()->verticalScrollBar();
        QVERIFY(scroll->maximum() > 0);

        QList<QWidget*> controls;
        for (QWidget* control : view->body()->widget()->findChildren<QWidget*>()) {
            if (qobject_cast<QComboBox*>(control) || qobject_cast<QSlider*>(control))
                controls << control;
        }
        QVERIFY(controls.size() >= 3);
        for (QWidget* control : std::as_const(controls)) {
            scroll->setValue(0);
            const QPointF at(control->width() / 2.0, control->height() / 2.0);
            // Down, as a user scrolls through the tab; a hardware wheel's
            // events are spontaneous, which is what lets them travel on.
            QWheelEvent wheel(at, control->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QSpontaneKeyEvent::setSpontaneous(&wheel);
            QApplication::instance()->notify(control, &wheel);
            QVERIFY2(scroll->value() > 0, control->metaObject()->className());
        }
        QCOMPARE(fixture.sim.defaults.values(), before);
    }

    void theOtherTabsAndPreviewFollowAChange()
    {
        Fixture fixture;
        auto view = fixture.view(SettingsTab::apps);
        view->setTab(SettingsTab::layout);
        view->setTab(SettingsTab::appearance);
        PreviewMiniature* appearance = view->appearancePreview()->miniature();
        PreviewMiniature* layout = view->layoutPreview()->miniature();
        QCOMPARE(layout->geometry().cols, 4);
        AppCell* arc = view->appsTab()->cells().at(int(Browser::arc));
        QVERIFY(!arc->isInstalled());
        QCOMPARE(view->layoutTab()->displayPicker()->count(), 3);

        // A screen connected and an app installed since the tabs were drawn
        // show at the next change of any setting, without reopening a tab.
        fixture.sim.host.modify([](SimModel& model) {
            model.screens << SimScreen{{1440, 0, 1920, 1080}, {1440, 0, 1920, 1080}, "DELL U2720Q"};
            SimApp app;
            app.bundleID = Browser(Browser::arc).bundleID();
            app.name = QStringLiteral("Arc");
            model.installedApps << app;
        });
        click(named<QRadioButton>(*view, "Grid"));
        QCOMPARE(fixture.preferences->layoutMode(), LayoutMode::grid);
        QCOMPARE(appearance->geometry().cols, 2);
        QCOMPARE(appearance->size(), QSize(270, 240));
        QCOMPARE(view->layoutTab()->displayPicker()->itemText(3), QStringLiteral("DELL U2720Q"));
        QVERIFY(arc->isInstalled());

        // Set elsewhere (the overlay, a second window): the radio follows.
        fixture.preferences->setLayoutMode(LayoutMode::strip);
        QVERIFY(named<QRadioButton>(*view, "Horizontal strip (like ⌘Tab)")->isChecked());
        QCOMPARE(appearance->geometry().cols, 4);
    }

    void aProfileNotedByTheOverlayShowsInTheOpenWindow()
    {
        Fixture fixture;
        auto view = fixture.view(SettingsTab::appearance);
        ProfileColorList* rows = view->appearanceTab()->profileColors();
        QVERIFY(!rows->isVisibleTo(view.get()));

        fixture.preferences->noteProfiles({"Work", "Personal"});
        QCOMPARE(rows->names(), (QStringList{"Personal", "Work"}));
        QVERIFY(rows->isVisibleTo(view.get()));
        QVERIFY(rows->resetRect(1).isEmpty());

        rows->pickColor("Work", QColor(255, 128, 0));
        QCOMPARE(fixture.stored("profileColors"), QVariant(QVariantMap{{"Work", "FF8000"}}));
        QVERIFY(!rows->resetRect(1).isEmpty());
        click(rows->resetButton(1));
        QCOMPARE(fixture.stored("profileColors"), QVariant(QVariantMap{}));

        // Badges off takes the whole section away.
        click(named<QCheckBox>(*view, "Show Safari profile badges"));
        QVERIFY(!view->appearanceTab()->profileSection()->isVisibleTo(view.get()));
    }

    // A press on a colour well or a reset button is that control's: only a
    // press on the background reaches the window, which moves when dragged.
    void aPressOnAColorControlDoesNotMoveTheWindow()
    {
        Fixture fixture({{"knownProfiles", QStringList{"Personal", "Work"}},
                         {"profileColors", QVariantMap{{"Work", "2F6FD0"}}}});
        auto view = fixture.view(SettingsTab::appearance);
        ProfileColorList* rows = view->appearanceTab()->profileColors();
        view->body()->ensureWidgetVisible(rows);
        PressesReaching window(view.get());

        const auto press = [](QWidget* on, QPoint at) {
            QTest::mousePress(on, Qt::LeftButton, {}, at);
            // Released away from every control, so no colour panel opens.
            QTest::mouseRelease(on, Qt::LeftButton, {}, at - QPoint(0, 100));
        };
        press(rows->well(0), rows->well(0)->rect().center());
        press(rows->well(1), rows->well(1)->rect().center());
        press(rows->resetButton(1), rows->resetButton(1)->rect().center());
        QCOMPARE(window.count, 0);
        press(rows, rows->pillRect(0).center());
        QCOMPARE(window.count, 1);
    }

    // The colour well opens the colour panel on the pill's colour; the
    // colour confirmed there is stored, the one it opened with is not.
    void aColorWellStoresOnlyAChangedColor()
    {
        Fixture fixture({{"knownProfiles", QStringList{"Work"}}});
        auto view = fixture.view(SettingsTab::appearance);
        ProfileColorList* rows = view->appearanceTab()->profileColors();
        view->body()->ensureWidgetVisible(rows);
        const auto confirmIn = [rows](const std::function<void(QColorDialog&)>& choose) {
            QTimer::singleShot(0, rows, [choose] {
                auto* panel = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
                QVERIFY(panel);
                choose(*panel);
                panel->accept();
            });
            QTest::mouseClick(rows->well(0), Qt::LeftButton);
        };

        QColor opened;
        confirmIn([&opened](QColorDialog& panel) { opened = panel.currentColor(); });
        QCOMPARE(opened.rgb(), TesselTile::color("Work").rgb());
        QVERIFY(!fixture.stored("profileColors").isValid());
        QVERIFY(rows->resetRect(0).isEmpty());

        confirmIn([](QColorDialog& panel) { panel.setCurrentColor(QColor(255, 128, 0)); });
        QCOMPARE(fixture.stored("profileColors"), QVariant(QVariantMap{{"Work", "FF8000"}}));
        QVERIFY(!rows->resetRect(0).isEmpty());
    }

    // Tab goes from the badges check box through each row's reset button and
    // colour well, in row order and named for the profile, on to the Surface
    // pop-up, and Shift+Tab back; Space resets, and the focus moves on to the
    // next control; Return opens the colour panel. A profile noted while the
    // window is open takes its place in that order.
    void theKeyboardWorksTheProfileRows()
    {
        Fixture fixture(
            {{"knownProfiles", QStringList{"Personal", "Work"}},
             {"profileColors", QVariantMap{{"Work", "2F6FD0"}, {"Archive", "C04040"}}}});
        auto view = fixture.view(SettingsTab::appearance);
        view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view.get()));
        QCheckBox* badges = named<QCheckBox>(*view, "Show Safari profile badges");
        QWidget* surface = view->appearanceTab()->surfacePicker();
        QList<QWidget*> reached;
        const auto tabFromBadges = [&] {
            badges->setFocus(Qt::OtherFocusReason);
            reached.clear();
            QStringList names;
            while (reached.size() < 12) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                if (QApplication::focusWidget() == surface)
                    break;
                reached << QApplication::focusWidget();
                names << reached.last()->accessibleName();
            }
            return names;
        };

        QCOMPARE(tabFromBadges(),
                 (QStringList{"Reset Archive", "Colour for Archive", "Colour for Personal",
                              "Reset Work", "Colour for Work"}));
        QTest::keyClick(surface, Qt::Key_Backtab);
        QTest::keyClick(reached.at(4), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), reached.at(3));
        QTest::keyClick(reached.at(3), Qt::Key_Space);
        QCOMPARE(fixture.stored("profileColors"), QVariant(QVariantMap{{"Archive", "C04040"}}));
        QCOMPARE(QApplication::focusWidget(), reached.at(4));
        QTest::keyClick(reached.at(4), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), reached.at(2));

        QTimer::singleShot(0, view.get(), [] {
            auto* panel = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
            QVERIFY(panel);
            panel->setCurrentColor(QColor(255, 128, 0));
            panel->accept();
        });
        QTest::keyClick(reached.at(2), Qt::Key_Return);
        QCOMPARE(fixture.stored("profileColors"),
                 QVariant(QVariantMap{{"Archive", "C04040"}, {"Personal", "FF8000"}}));

        fixture.preferences->noteProfiles({"Alpha"});
        view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view.get()));
        QCOMPARE(tabFromBadges(),
                 (QStringList{"Colour for Alpha", "Reset Archive", "Colour for Archive",
                              "Reset Personal", "Colour for Personal", "Colour for Work"}));
        // A row whose only reason to be listed was its colour goes with it;
        // the focus moves on to the next row.
        QTest::keyClick(surface, Qt::Key_Backtab);
        for (int back = 0; back < 4; ++back)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget()->accessibleName(), QStringLiteral("Reset Archive"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(fixture.stored("profileColors"), QVariant(QVariantMap{{"Personal", "FF8000"}}));
        QCOMPARE(QApplication::focusWidget()->accessibleName(), QStringLiteral("Reset Personal"));
    }

    void aFractionalMetricReadsTruncatedUntilMoved()
    {
        Fixture fixture({{"windowSpacing", 16.5}});
        auto view = fixture.view(SettingsTab::layout);
        QCOMPARE(nth<ReadoutLabel>(view->layoutTab(), 1)->text(), QStringLiteral("16 pt"));
        QCOMPARE(fixture.stored("windowSpacing"), QVariant(16.5));
        QTest::keyClick(nth<QSlider>(view->layoutTab(), 1), Qt::Key_Right);
        QCOMPARE(fixture.stored("windowSpacing"), QVariant(17.0));
        QCOMPARE(nth<ReadoutLabel>(view->layoutTab(), 1)->text(), QStringLiteral("17 pt"));
    }

    void loginItemToggleRevertsWhenRegistrationFails()
    {
        Fixture fixture;
        fixture.sim.host.modify(
            [](SimModel& model) { model.loginItemError = "Operation not permitted"; });
        auto view = fixture.view();
        QCheckBox* launch = named<QCheckBox>(*view, "Launch at login");
        click(launch);
        QVERIFY(!launch->isChecked());
        QVERIFY(!fixture.preferences->launchAtLogin());
        QVERIFY(fixture.sim.systemLog.lines().join('\n').contains("Operation not permitted"));

        fixture.sim.host.modify([](SimModel& model) { model.loginItemError.reset(); });
        click(launch);
        QVERIFY(launch->isChecked());
        QVERIFY(fixture.preferences->launchAtLogin());
    }

    void permissionsButtonAndTheBrandThemeLocks()
    {
        Fixture fixture({{"glassTint", "none"}});
        auto view = fixture.view();
        click(named<QPushButton>(*view, "Open Permissions Setup…"));
        click(named<QPushButton>(*view, "Open Permissions Setup…"));
        QCOMPARE(fixture.permissionCalls, 2);

        view->setTab(SettingsTab::appearance);
        AppearanceTab* tab = view->appearanceTab();
        QVERIFY(tab->surfacePicker()->isEnabled() && tab->tintPicker()->isEnabled());
        QVERIFY(!tab->tintSlider()->isEnabled());
        fixture.preferences->setGlassTint(GlassTint::ocean);
        QVERIFY(tab->tintSlider()->isEnabled());
        fixture.preferences->setAppearanceMode(AppearanceMode::tessel);
        QVERIFY(!tab->surfacePicker()->isEnabled() && !tab->tintPicker()->isEnabled());
        QVERIFY(!tab->tintSlider()->isEnabled());
        QVERIFY(nth<QSlider>(tab, 0)->isEnabled()); // the card size stays
    }

    void hoverSelectsASampleCardInBothPreviews()
    {
        Fixture fixture;
        auto view = fixture.view(SettingsTab::appearance);
        view->setTab(SettingsTab::layout);
        view->setTab(SettingsTab::appearance);
        PreviewMiniature* miniature = view->appearancePreview()->miniature();
        QCOMPARE(miniature->hover(), 1);
        QTest::mouseMove(miniature, miniature->cardRect(3).center().toPoint());
        QCOMPARE(view->previewHover(), 3);
        QCOMPARE(view->layoutPreview()->miniature()->hover(), 3);
        QTest::mouseMove(view.get(), QPoint(2, 2));
        QCOMPARE(view->previewHover(), 3);
    }

    void theWindowIsBuiltOnceAndKeptAfterClosing()
    {
        qputenv("TESSEL_SETTINGS_TAB", "Layout");
        Fixture fixture;
        SettingsWindowController controller(
            *fixture.preferences, [] {}, fixture.environment());
        QCOMPARE(controller.window(), nullptr);
        controller.show();
        QWidget* window = controller.window();
        QCOMPARE(window->windowTitle(), QStringLiteral("Tessel Nav Settings"));
        QCOMPARE(controller.view()->tab(), SettingsTab::layout);
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QCOMPARE(window->width(), SettingsView::viewWidth);

        controller.view()->setTab(SettingsTab::apps);
        window->close();
        QVERIFY(!window->isVisible());
        controller.show();
        controller.show();
        QCOMPARE(controller.window(), window);
        QVERIFY(window->isVisible());
        QCOMPARE(controller.view()->tab(), SettingsTab::apps);
        int settingsWindows = 0;
        for (QWidget* top : QApplication::topLevelWidgets())
            settingsWindows += top->windowTitle().contains("Settings") ? 1 : 0;
        QCOMPARE(settingsWindows, 1);
    }

    void drawnOnCreamWithTheSelectedTabFilled()
    {
        Fixture fixture;
        // A dark desktop does not darken the window.
        const QPalette desktop = QApplication::palette();
        QPalette dark = desktop;
        dark.setColor(QPalette::Window, QColor(30, 30, 30));
        dark.setColor(QPalette::WindowText, Qt::white);
        QApplication::setPalette(dark);
        auto view = fixture.view(SettingsTab::apps);
        const QImage image = grabAtScale2(*view);
        QApplication::setPalette(desktop);

        QCOMPARE(image.size(), view->size() * 2);
        QVERIFY2(near(image.pixelColor(4, 4), TesselBrand::cream()),
                 qPrintable(describe(image.pixelColor(4, 4))));
        QVERIFY(
            near(image.pixelColor(image.width() - 4, image.height() - 4), TesselBrand::cream()));
        for (SettingsTab tab : SettingsTabs::all) {
            const QRect button = view->tabButton(tab)->geometry();
            // Just inside the capsule's left end, clear of the label.
            const QPoint probe = (button.topLeft() + QPoint(4, button.height() / 2)) * 2;
            const QColor expected =
                tab == SettingsTab::apps ? TesselBrand::hoverFill() : TesselBrand::cream();
            QVERIFY2(near(image.pixelColor(probe), expected),
                     qPrintable(SettingsTabs::label(tab) + describe(image.pixelColor(probe))));
        }
    }

    void previewFramedSizeAndDarkTheme_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("position");
        QTest::newRow("strip") << "strip"
                               << "center";
        QTest::newRow("grid") << "grid"
                              << "center";
        QTest::newRow("edge") << "strip"
                              << "left";
    }

    void previewFramedSizeAndDarkTheme()
    {
        QFETCH(QString, layout);
        QFETCH(QString, position);
        Fixture fixture({{"layoutMode", layout},
                         {"panelPosition", position},
                         {"appearanceMode", "dark"},
                         {"glassTint", "none"}});
        auto view = fixture.view(SettingsTab::appearance);
        PreviewMiniature* miniature = view->appearancePreview()->miniature();
        const QImage image = grabAtScale2(*view);
        const QRect frame(miniature->mapTo(view.get(), QPoint()) * 2, miniature->size() * 2);

        // Scan across and down the middle for the miniature's extent.
        const QColor cream = TesselBrand::cream();
        auto extent = [&](QPoint from, QPoint step, int limit) {
            int first = -1, last = -1;
            for (int i = 0; i < limit; ++i) {
                if (!near(image.pixelColor(from + step * i), cream, 6)) {
                    if (first < 0)
                        first = i;
                    last = i;
                }
            }
            return first < 0 ? 0 : last - first + 1;
        };
        const QSizeF expected = miniature->geometry().framedSize() * 2;
        const int across =
            extent(QPoint(frame.left() - 4, frame.center().y()), {1, 0}, frame.width() + 8);
        const int down =
            extent(QPoint(frame.center().x(), frame.top() - 4), {0, 1}, frame.height() + 8);
        QVERIFY2(std::abs(across - expected.width()) <= 2,
                 qPrintable(QString("%1 against %2").arg(across).arg(expected.width())));
        QVERIFY2(std::abs(down - expected.height()) <= 2,
                 qPrintable(QString("%1 against %2").arg(down).arg(expected.height())));

        // The dark theme draws the miniature dark inside the light window.
        QVERIFY(image.pixelColor(frame.center()).lightness() < 90);
        QVERIFY(near(image.pixelColor(frame.left() - 6, frame.center().y()), cream));
    }

    // Every control of every tab lies inside the body's width, so nothing is
    // cut at the right edge, and the body ends 24 points below its last
    // section; the whole scrolled content is kept as a picture
    // when TESSEL_TEST_PNG_DIR names a folder.
    void everyTabFitsTheBody_data()
    {
        QTest::addColumn<SettingsTab>("tab");
        QTest::addColumn<QString>("theme");
        for (SettingsTab tab : SettingsTabs::all) {
            for (const char* theme : {"system", "dark", "tessel"}) {
                if (theme != QLatin1String("system") && tab != SettingsTab::appearance &&
                    tab != SettingsTab::layout)
                    continue;
                QTest::addRow("%s %s", qPrintable(SettingsTabs::label(tab)), theme)
                    << tab << QString::fromLatin1(theme);
            }
        }
    }

    void everyTabFitsTheBody()
    {
        QFETCH(SettingsTab, tab);
        QFETCH(QString, theme);
        Fixture fixture({{"appearanceMode", theme},
                         {"knownProfiles", QStringList{"Personal", "Work"}},
                         {"profileColors", QVariantMap{{"Work", "2F6FD0"}}}});
        auto view = fixture.view(tab);
        QWidget* body = view->body()->widget();
        const int width = view->body()->viewport()->width();
        QCOMPARE(body->width(), width);
        for (QWidget* control : body->findChildren<QWidget*>()) {
            if (!control->isVisibleTo(body))
                continue;
            const QRect placed(control->mapTo(body, QPoint()), control->size());
            QVERIFY2(placed.left() >= 24 && placed.right() < width - 24 + 1,
                     qPrintable(QStringLiteral("%1 at %2..%3")
                                    .arg(control->metaObject()->className())
                                    .arg(placed.left())
                                    .arg(placed.right())));
        }
        // Scrolled to its end, the last section sits 24 points above the
        // bottom edge, as the first sits 24 below the top.
        int lastBottom = 0;
        for (QWidget* child : body->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->isVisibleTo(body))
                lastBottom = std::max(lastBottom, child->geometry().bottom() + 1);
        }
        QCOMPARE(body->height(), std::max(view->body()->viewport()->height(), lastBottom + 24));
        body->resize(width, body->heightForWidth(width) > 0 ? body->heightForWidth(width)
                                                            : body->sizeHint().height());
        keepRender(
            renderWidget(*body),
            QStringLiteral("settings-%1-%2-full").arg(SettingsTabs::label(tab).toLower(), theme));
    }

    // The miniature's "All" chip takes the system accent even in the brand
    // theme, where the switcher's own active chip turns forest green.
    void theAllChipTakesTheSystemAccent()
    {
        Fixture fixture({{"appearanceMode", "tessel"}});
        auto view = fixture.view(SettingsTab::appearance);
        PreviewMiniature* miniature = view->appearancePreview()->miniature();
        QVERIFY(miniature->geometry().showsChips());
        const QImage image = grabAtScale2(*view);
        // Just inside the chip's leading end, halfway down the chip row.
        const double scale = miniature->geometry().scale;
        const QPointF inChip = QPointF(fixture.preferences->containerPadding() + 6, 23) * scale;
        const QColor probe =
            image.pixelColor((miniature->mapTo(view.get(), QPoint()) + inChip.toPoint()) * 2);
        const QColor accent = ColorScheme::light().accent;
        QVERIFY2(near(probe, accent, 30), qPrintable(describe(probe)));
    }

    // A hand-edited or damaged settings file: the window opens, the controls
    // show what they can, and nothing stored is rewritten by opening it.
    void badSettingsOpenAndStayAsStored()
    {
        QStringList many;
        for (int i = 0; i < 10000; ++i)
            many << QStringLiteral("Profile %1").arg(i, 5, 10, QLatin1Char('0'));
        many << QString(1 << 20, QLatin1Char('x'));
        Fixture fixture({{"cardWidth", 5000.0},
                         {"windowSpacing", 99.0},
                         {"tintOpacity", "lots"},
                         {"layoutMode", "Grid"},
                         {"appearanceMode", "sepia"},
                         {"profileColors", QVariantMap{{"Work", "#12"}}},
                         {"knownProfiles", many},
                         {"preferredScreen", "Gone Display"}});
        const QVariantMap before = fixture.sim.defaults.values();
        auto view = fixture.view();
        for (SettingsTab tab : SettingsTabs::all)
            view->setTab(tab);
        view->setTab(SettingsTab::appearance);
        grabAtScale2(*view);
        QCOMPARE(fixture.sim.defaults.values(), before);

        AppearanceTab* appearance = view->appearanceTab();
        QCOMPARE(nth<ReadoutLabel>(appearance, 0)->text(), QStringLiteral("5000 pt"));
        QCOMPARE(nth<QSlider>(appearance, 0)->value(), nth<QSlider>(appearance, 0)->maximum());
        QCOMPARE(nth<ReadoutLabel>(appearance, 1)->text(), QStringLiteral("40%"));
        QCOMPARE(appearance->profileColors()->names().size(), 10002);
        QCOMPARE(nth<ReadoutLabel>(view->layoutTab(), 1)->text(), QStringLiteral("40 pt"));
        QCOMPARE(view->layoutTab()->displayPicker()->currentIndex(), -1);
        QVERIFY(named<QRadioButton>(*view, "Horizontal strip (like ⌘Tab)")->isChecked());

        // A card width that overflows the panel's arithmetic is held to the
        // screen as the switcher's cards are: the widest card whose row fits
        // the tallest panel, 0.85 of the visible frame's 875, under the
        // padding and the chips row.
        Fixture huge({{"cardWidth", 1e308}});
        auto hugeView = huge.view(SettingsTab::layout);
        PreviewMiniature* miniature = hugeView->layoutPreview()->miniature();
        QCOMPARE(miniature->geometry().cardWidth, (0.85 * 875 - 48 - 46 - 60) / 0.625);
        QCOMPARE(miniature->size().width(), 418);
        QCOMPARE(huge.stored("cardWidth"), QVariant(1e308));
    }
};

QTEST_MAIN(TestSettingsView)
#include "tst_SettingsView.moc"

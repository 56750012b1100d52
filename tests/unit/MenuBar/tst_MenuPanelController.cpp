#include "Brand/TesselBrand.h"
#include "MenuBar/MenuPanelController.h"
#include "MenuBar/MenuPanelView.h"
#include "Platform/EventMonitorRegistry.h"
#include "Platform/KeyCode.h"
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWindow>

namespace {

using Type = MonitoredEvent::Type;

// The offscreen platform's one screen, as the host's screens see it.
QRectF primaryFrame()
{
    const QSize size = QGuiApplication::primaryScreen()->size();
    return QRectF(0, 0, size.width(), size.height());
}

struct Harness {
    explicit Harness(bool reduceMotion = true)
        : sim([&] {
              SimScenarioBuilder builder;
              builder.screen(primaryFrame(), primaryFrame().adjusted(0, 0, 0, -24),
                             QStringLiteral("Offscreen"));
              SimModel model = builder.build();
              model.reduceMotion = reduceMotion;
              return model;
          }()),
          controller(actions(), sim.screens, sim.workspace, monitors, sim.clock)
    {
    }

    MenuActions actions()
    {
        MenuActions result;
        result.showSwitcher = [this] { ran << QStringLiteral("showSwitcher"); };
        result.showSettings = [this] { ran << QStringLiteral("showSettings"); };
        result.showPermissions = [this] { ran << QStringLiteral("showPermissions"); };
        result.quit = [this] { ran << QStringLiteral("quit"); };
        return result;
    }

    // A status item near the top middle of the screen.
    QRectF button() const
    {
        const QRectF screen = primaryFrame();
        return QRectF(screen.center().x() - 11, screen.height() - 24, 22, 22);
    }

    SimPlatform sim;
    EventMonitorRegistry monitors;
    QStringList ran;
    MenuPanelController controller;
};

} // namespace

class TestMenuPanelController : public QObject {
    Q_OBJECT
private slots:
    void togglesAndKeepsAClosingClickFromReopening()
    {
        Harness h;
        h.controller.toggle(h.button());
        QVERIFY(h.controller.isShown());
        QCOMPARE(h.monitors.globalMonitorCount(), 1);
        QCOMPARE(h.monitors.localMonitorCount(), 1);

        // A second click on the item closes it and leaves it closed.
        h.controller.toggle(h.button());
        QVERIFY(!h.controller.isShown());
        QCOMPARE(h.monitors.globalMonitorCount() + h.monitors.localMonitorCount(), 0);

        // A click elsewhere closes it; the item's mouse-up within 0.25 s does
        // not reopen it, a later click does.
        h.sim.clock.advance(1);
        h.controller.toggle(h.button());
        h.monitors.dispatchGlobal({Type::leftMouseDown, 0, nullptr});
        QVERIFY(!h.controller.isShown());
        h.sim.clock.advance(0.2);
        h.controller.toggle(h.button());
        QVERIFY(!h.controller.isShown());
        h.sim.clock.advance(0.3);
        h.controller.toggle(h.button());
        QVERIFY(h.controller.isShown());
    }

    void hidingWhileHiddenKeepsTheLastHideTime()
    {
        Harness h;
        h.controller.toggle(h.button());
        h.controller.hide();
        const QDateTime hidden = h.controller.lastHideTime();
        QVERIFY(hidden.isValid());
        h.sim.clock.advance(5);
        h.controller.hide();
        QCOMPARE(h.controller.lastHideTime(), hidden);
    }

    void localEvents()
    {
        Harness h;
        h.controller.toggle(h.button());
        const QObject* panelWindow = h.controller.panel()->windowHandle();

        // Other keys pass on untouched and leave it open.
        QVERIFY(!h.monitors.dispatchLocal({Type::keyDown, KeyCode::a, panelWindow}));
        QVERIFY(h.controller.isShown());
        // A mouse-down inside the panel does not close it.
        QVERIFY(!h.monitors.dispatchLocal({Type::leftMouseDown, 0, panelWindow}));
        QVERIFY(h.controller.isShown());
        // Escape closes it and is consumed.
        QVERIFY(h.monitors.dispatchLocal({Type::keyDown, KeyCode::escape, nullptr}));
        QVERIFY(!h.controller.isShown());
        // Once closed, nothing is consumed any more.
        QVERIFY(!h.monitors.dispatchLocal({Type::keyDown, KeyCode::escape, nullptr}));

        // A right mouse-down in another of the program's windows closes it
        // and still reaches that window.
        h.sim.clock.advance(1);
        h.controller.toggle(h.button());
        QWindow other;
        QVERIFY(!h.monitors.dispatchLocal({Type::rightMouseDown, 0, &other}));
        QVERIFY(!h.controller.isShown());
    }

    void placement_data()
    {
        QTest::addColumn<QRectF>("button");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("centred, 6 below") << QRectF(700, 957, 22, 25) << QRectF(585, 751, 252, 200);
        QTest::newRow("right edge") << QRectF(1480, 957, 22, 25) << QRectF(1252, 751, 252, 200);
        QTest::newRow("left edge") << QRectF(4, 957, 22, 25) << QRectF(8, 751, 252, 200);
        // A screen to the left of the primary: its own visible frame counts.
        QTest::newRow("negative x") << QRectF(-30, 957, 22, 25) << QRectF(-260, 751, 252, 200);
        // A tray along the bottom: no room under the item, so above it.
        QTest::newRow("bottom tray") << QRectF(700, 8, 22, 24) << QRectF(585, 38, 252, 200);
    }

    void placement()
    {
        QFETCH(QRectF, button);
        QFETCH(QRectF, expected);
        const QRectF visible =
            button.x() < 0 ? QRectF(-1920, 0, 1920, 1055) : QRectF(0, 0, 1512, 957);
        QCOMPARE(menuPanelFrame(button, QSizeF(252, 200), visible), expected);
        // Without a screen nothing is clamped.
        QCOMPARE(menuPanelFrame(QRectF(4, 957, 22, 25), QSizeF(252, 200), std::nullopt).x(),
                 -111.0);
        // Too narrow a screen: the right edge wins.
        QCOMPARE(menuPanelFrame(button, QSizeF(252, 200), QRectF(0, 0, 200, 900)).x(), -60.0);
    }

    void fadesInUnlessMotionIsReduced()
    {
        Harness still(true);
        still.controller.toggle(still.button());
        QCOMPARE(still.controller.panel()->windowOpacity(), 1.0);

        Harness moving(false);
        moving.controller.toggle(moving.button());
        QVERIFY(moving.controller.panel()->windowOpacity() < 0.5);
        QTRY_COMPARE_WITH_TIMEOUT(moving.controller.panel()->windowOpacity(), 1.0, 1000);
        // The panel's fades end in hiding only when they fade out.
        QVERIFY(moving.controller.isShown());
        // Hiding is immediate.
        moving.controller.hide();
        QVERIFY(!moving.controller.panel()->isVisible());
    }

    void placesThePanelUnderTheButtonOnScreen()
    {
        Harness h;
        h.controller.toggle(h.button());
        const QRect geometry = h.controller.panel()->geometry();
        QCOMPARE(geometry.width(), MenuPanelView::panelWidth);
        // The button's bottom edge is 24 points from the top; 6 more below it.
        QCOMPARE(geometry.top(), 24 + 6);
        QCOMPARE(geometry.center().x(), qRound(primaryFrame().center().x()) - 1);
        // Without a place for the button nothing shows.
        Harness hidden;
        hidden.controller.toggle(QRectF());
        QVERIFY(!hidden.controller.isShown());
        QCOMPARE(hidden.monitors.globalMonitorCount(), 0);
    }

    void rowsRunTheirCommands()
    {
        Harness h;
        h.controller.toggle(h.button());
        QWidget* panel = h.controller.panel();
        const QStringList titles{QStringLiteral("Show Switcher"), QStringLiteral("Settings…"),
                                 QStringLiteral("Permissions Setup…"),
                                 QStringLiteral("Quit Tessel Nav")};
        for (const QString& title : titles) {
            QWidget* row = nullptr;
            for (QWidget* child : panel->findChildren<QWidget*>()) {
                if (child->accessibleName() == title)
                    row = child;
            }
            QVERIFY2(row, qPrintable(title));
            QTest::mouseClick(row, Qt::LeftButton);
        }
        QCOMPARE(h.ran, (QStringList{QStringLiteral("showSwitcher"), QStringLiteral("showSettings"),
                                     QStringLiteral("showPermissions"), QStringLiteral("quit")}));
    }

    void drawsTheBrandSurface()
    {
        Harness h;
        h.controller.toggle(h.button());
        QWidget* panel = h.controller.panel();
        const QImage image = panel->grab().toImage();
        // Cream inside, transparent beyond the rounded corners.
        QCOMPARE(image.pixelColor(image.width() / 2, image.height() - 4).rgb(),
                 TesselBrand::cream().rgb());
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(MenuPanelView::switcherHint().size(), 11);
    }
};

QTEST_MAIN(TestMenuPanelController)
#include "tst_MenuPanelController.moc"

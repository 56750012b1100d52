#include "Brand/FloatingPanel.h"
#include "Platform/KeyCode.h"
#include "Platform/Live/QtScreens.h"
#include "Platform/ScreenCoordinates.h"
#include "Platform/Sim/Desktop/SimDesktopWindow.h"
#include "Platform/Sim/Desktop/SimStatusBar.h"
#include "Platform/Sim/SimPrivacyPaneOpener.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "support/OnboardingFixture.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QScreen>
#include <QTest>

namespace {

// Safari with one window, frontmost, and neither permission granted.
SimModel ungranted()
{
    SimScenarioBuilder b;
    b.screen(QRectF(0, 0, 1440, 900), QRectF(0, 0, 1440, 875), QStringLiteral("Built-in"));
    b.install(Browser::safari).launch(Browser::safari, 501);
    b.window(QStringLiteral("Inbox"), QRectF(100, 100, 900, 600)).color(Qt::darkGreen);
    b.frontmost(501).trusted(false).screenRecording(false);
    return b.build();
}

QColor pixel(QWidget& widget, const QPointF& at)
{
    return widget.grab().toImage().pixelColor(at.toPoint());
}

// A blue of the host's default button, not a colour of the desktop behind.
bool isDefaultButtonBlue(const QColor& color)
{
    return color.blue() > 200 && color.red() < 120 && color.green() > 100 && color.green() < 180;
}

// The keys that reach the widgets it watches, each as "<object name> <key>".
class KeyLog final : public QObject {
public:
    QStringList keys;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const QKeySequence key(static_cast<QKeyEvent*>(event)->key());
            keys << watched->objectName() + QLatin1Char(' ') + key.toString();
        }
        return false;
    }
};

} // namespace

class TestSimDesktopWindow : public QObject {
    Q_OBJECT
private slots:
    // The host's dialogs, caused by the setup window, drawn in the desktop
    // and answered there by a click; the setup window's next poll sees the
    // answer.
    void hostDialogsAnsweredByClicks_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<bool>("grant");
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<bool>("recording");
        QTest::newRow("trust prompt allowed") << "request accessibility" << true << true << false;
        QTest::newRow("trust prompt denied") << "request accessibility" << false << false << false;
        QTest::newRow("capture pane turned on") << "screen capture pane" << true << false << true;
    }

    void hostDialogsAnsweredByClicks()
    {
        QFETCH(QString, cause);
        QFETCH(bool, grant);
        QFETCH(bool, trusted);
        QFETCH(bool, recording);
        OnboardingFixture f(ungranted());
        SimPrivacyPaneOpener panes(f.sim.control.prompts(), f.sim.urlOpener);
        OnboardingModel model(f.permissions, f.metadata, f.sim.workspace, panes,
                              std::chrono::milliseconds(20));
        SimStatusBar bar;
        SimDesktopWindow desktop(f.sim.host, f.sim.control, bar, {});
        desktop.resize(1000, 700);
        desktop.show();
        model.startPolling();
        QVERIFY(!desktop.shownPrompt());

        if (cause == QLatin1String("request accessibility"))
            model.requestAccessibility();
        else
            model.openPane(QStringLiteral("Privacy_ScreenCapture"));
        QTRY_VERIFY(desktop.shownPrompt());
        const QRectF grantButton = *desktop.promptButton(true);
        const QRectF denyButton = *desktop.promptButton(false);
        QVERIFY(desktop.rect().contains(grantButton.toRect()));
        QVERIFY(denyButton.right() < grantButton.left());
        // Beside the label, inside the button's rounded corners.
        const QPointF onGrant(grantButton.left() + 5, grantButton.center().y());
        QTRY_VERIFY(isDefaultButtonBlue(pixel(desktop, onGrant)));

        // A click beside the dialog answers nothing.
        QTest::mouseClick(&desktop, Qt::LeftButton, {}, QPoint(300, 400));
        QVERIFY(desktop.shownPrompt());

        QTest::mouseClick(&desktop, Qt::LeftButton, {},
                          (grant ? grantButton : denyButton).center().toPoint());
        QVERIFY(!desktop.shownPrompt());
        QTRY_VERIFY(!isDefaultButtonBlue(pixel(desktop, onGrant)));
        QTRY_COMPARE(model.accessibility(), trusted);
        QTRY_COMPARE(model.screenRecording(), recording);
    }

    // A panel that never takes the keyboard gets keys only from a window
    // system that hands them to the window under the pointer: they go to the
    // host's taps, as the desktop's own keys do, and the panel keeps those
    // that no tap consumes. The program's other windows keep their keys.
    void panelKeysGoThroughTheTaps()
    {
        SimPlatform sim(ungranted());
        sim.host.modify([](SimModel& model) { model.accessibilityTrusted = true; });
        QList<KeyEvent> tapped;
        const std::unique_ptr<EventTapPort> tap =
            sim.eventTap.createTap([&tapped](const KeyEvent& event) {
                tapped << event;
                return event.keyCode == KeyCode::tab;
            });
        QVERIFY(tap);
        tap->addToRunLoop();
        SimStatusBar bar;
        SimDesktopWindow desktop(sim.host, sim.control, bar, {});
        FloatingPanel panel(
            QStringLiteral("Panel"), [] { return 12.0; }, sim.workspace);
        QWidget settings;
        KeyLog reached;
        panel.setObjectName(QStringLiteral("panel"));
        settings.setObjectName(QStringLiteral("settings"));
        for (QWidget* window : {static_cast<QWidget*>(&panel), &settings}) {
            window->installEventFilter(&reached);
            window->resize(200, 100);
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
        }

        // Alt goes down first, then Tab: the taps see the modifier change too.
        QTest::keyPress(panel.windowHandle(), Qt::Key_Tab, Qt::AltModifier);
        QTest::keyPress(panel.windowHandle(), Qt::Key_Escape);
        QTest::keyPress(settings.windowHandle(), Qt::Key_Tab);
        QList<quint16> codes;
        for (const KeyEvent& event : tapped)
            codes << event.keyCode;
        QCOMPARE(codes, QList<quint16>({KeyCode::option, KeyCode::tab, KeyCode::escape}));
        QCOMPARE(tapped[1].flags & CGEventFlag::option, CGEventFlag::option);
        QCOMPARE(reached.keys,
                 QStringList({QStringLiteral("panel Alt"), QStringLiteral("panel Esc"),
                              QStringLiteral("settings Tab")}));
    }

    // The window stands for its screen: it covers the screen's available
    // area, so the pointer that the program reads through Qt's screens is
    // where the desktop draws it; the status item's frame and a click on it
    // agree.
    void coversItsScreen()
    {
        SimPlatform sim(ungranted());
        SimStatusBar bar;
        SimDesktopWindow desktop(sim.host, sim.control, bar, {});
        const std::unique_ptr<StatusItem> item = bar.createSquareItem();
        int clicks = 0;
        item->setClickHandler([&clicks](const StatusItemClick&) { ++clicks; });
        desktop.showCoveringScreen();
        const QScreen* screen = desktop.screen();
        QVERIFY(screen);
        // Its frame, where a window manager draws one.
        QTRY_COMPARE(desktop.frameGeometry(), screen->availableGeometry());

        QTRY_VERIFY(!item->buttonFrame().isEmpty());
        const QRectF primary(QGuiApplication::primaryScreen()->geometry());
        const QPointF centre = ScreenCoordinates::toTopLeft(item->buttonFrame(), primary).center();
        QCursor::setPos(centre.toPoint());
        QVERIFY(item->buttonFrame().contains(QtScreens().mouseLocation()));
        QTest::mouseClick(&desktop, Qt::LeftButton, {}, desktop.mapFromGlobal(centre.toPoint()));
        QCOMPARE(clicks, 1);
    }
};

QTEST_MAIN(TestSimDesktopWindow)
#include "tst_SimDesktopWindow.moc"

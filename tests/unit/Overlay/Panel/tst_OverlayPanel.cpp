#include "Overlay/Cards/CardCollectionView.h"
#include "support/OverlayFixture.h"

#include <QPointer>

#include <QTest>

#include <cmath>
#include <limits>

namespace {

using Overlay = OverlayFixture;

SimModel textEdit(const QStringList& titles)
{
    SimScenarioBuilder builder = Overlay::desktop();
    return Overlay::withWindows(builder, Browser::textedit, 601, titles, 101).build();
}

// Whole pixels on the Qt side: a frame comes back within a point.
bool near(double a, double b)
{
    return std::abs(a - b) <= 1;
}
double midX(const QRectF& r)
{
    return r.x() + r.width() / 2;
}
double midY(const QRectF& r)
{
    return r.y() + r.height() / 2;
}
double maxY(const QRectF& r)
{
    return r.y() + r.height();
}

bool inside(const QRectF& frame, const QRectF& bounds)
{
    return frame.x() >= bounds.x() - 1 && frame.y() >= bounds.y() - 1 &&
           frame.x() + frame.width() <= bounds.x() + bounds.width() + 1 &&
           frame.y() + frame.height() <= bounds.y() + bounds.height() + 1;
}

} // namespace

class TestOverlayPanel : public QObject {
    Q_OBJECT
private slots:
    // Three cards of one app: a strip 920 × 270.5, centred in the visible frame.
    void placedOnTheTargetScreen()
    {
        SimScenarioBuilder builder = Overlay::desktop();
        builder.screen(QRectF(1440, 0, 1920, 1080), QRectF(1440, 0, 1920, 1050), "Side");
        Overlay::withWindows(builder, Browser::textedit, 601, {"A", "B", "C"}, 101);
        Overlay o(builder.build(), {Browser::textedit});

        o.controller.show(1, std::nullopt);
        QRectF frame = o.controller.panelFrame();
        QVERIFY2(near(frame.x(), 260) && near(frame.y(), 302.25) && near(frame.width(), 920) &&
                     near(frame.height(), 270.5),
                 qPrintable(QStringLiteral("%1 %2 %3 %4")
                                .arg(frame.x())
                                .arg(frame.y())
                                .arg(frame.width())
                                .arg(frame.height())));
        QCOMPARE(o.controller.columns(), 3);
        QCOMPARE(o.controller.panelContentWidth(), 920.0);

        o.controller.hide();
        o.preferences.setPreferredScreen("Side");
        o.controller.show(1, std::nullopt);
        frame = o.controller.panelFrame();
        QVERIFY(near(midX(frame), 1440 + 960) && near(midY(frame), 525));

        // A stored centre far outside every screen is pulled back in.
        o.controller.hide();
        o.preferences.setCustomPanelCenter(QPointF(1e7, -1e7));
        o.controller.show(1, std::nullopt);
        QVERIFY(inside(o.controller.panelFrame(), QRectF(1440, 0, 1920, 1050)));
    }

    // Typing narrows the list under the panel's top edge, and the
    // controller's own moves never count as the user's.
    void typingKeepsTheTopEdgeAndCentre()
    {
        Overlay o(textEdit({"w1", "w2", "w3", "w4", "w5", "other"}), {Browser::textedit});
        o.controller.show(1, std::nullopt);
        const QRectF before = o.controller.panelFrame();
        o.controller.type("other");
        QTest::qWait(20); // anything the window system reports late arrives now
        const QRectF after = o.controller.panelFrame();
        QVERIFY(after.width() < before.width());
        QVERIFY(near(maxY(after), maxY(before)));
        QVERIFY(near(midX(after), midX(before)));
        QCOMPARE(o.controller.panelContentWidth(), 360.0);
        QVERIFY(!o.preferences.customPanelCenter());
    }

    // A search that leaves no card shrinks the panel to the empty strip even
    // when the chip row would be wider: the chips run over, the frame holds.
    void chipsNeverWidenThePanel()
    {
        SimScenarioBuilder builder = Overlay::desktop();
        QList<Browser> apps;
        for (Browser app : {Browser::safari, Browser::chrome, Browser::finder, Browser::terminal,
                            Browser::preview, Browser::textedit, Browser::mail, Browser::xcode}) {
            builder.install(app).launch(app, 700 + int(apps.size()));
            builder.window(app.displayName()).windowNumber(quint32(300 + apps.size()));
            apps << app;
        }
        Overlay o(builder.build(), apps);
        o.controller.show(1, std::nullopt);
        o.controller.type("nothing like it");
        QCoreApplication::processEvents();
        QCOMPARE(o.controller.windows().size(), 0);
        QVERIFY(near(o.controller.panelFrame().width(), 360));
        QCOMPARE(o.controller.hostingView()->width(), 360);
    }

    // Showing again while shown installs a new view and fades in afresh; the
    // old view stops following the state and goes.
    void showingAgainInstallsANewView()
    {
        Overlay o(textEdit({"A", "B"}), {Browser::textedit});
        o.controller.show(1, std::nullopt);
        QPointer<OverlayView> first = o.controller.hostingView();
        QTRY_COMPARE(o.controller.panel()->windowOpacity(), 1.0);
        o.controller.show(0, std::nullopt);
        QVERIFY(o.controller.hostingView() != first);
        QCOMPARE(o.controller.panel()->windowOpacity(), 0.0);
        QVERIFY(first);
        QVERIFY(!first->isVisible());
        QCOMPARE(first->cards().count(), 2);
        o.controller.type("B");
        QCOMPARE(first->cards().count(), 2); // no longer observing
        QCOMPARE(o.controller.hostingView()->cards().count(), 1);
        QTRY_VERIFY(!first);
    }

    void dragStoresTheCentre_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::newRow("centre") << false;
        QTest::newRow("left edge: the top centre") << true;
    }
    void dragStoresTheCentre()
    {
        QFETCH(bool, vertical);
        Overlay o(textEdit({"A", "B"}), {Browser::textedit});
        o.preferences.setPanelPosition(vertical ? PanelPosition::left : PanelPosition::center);
        o.controller.show(1, std::nullopt);
        OverlayPanel* panel = o.controller.panel();
        panel->move(panel->pos() + QPoint(100, 40)); // 100 right, 40 down
        const QRectF dragged = o.controller.panelFrame();
        const QPointF expected(midX(dragged), vertical ? maxY(dragged) : midY(dragged));
        QVERIFY(o.preferences.customPanelCenter());
        QCOMPARE(*o.preferences.customPanelCenter(), expected);

        o.controller.hide();
        o.controller.show(1, std::nullopt);
        const QRectF reopened = o.controller.panelFrame();
        QVERIFY(near(midX(reopened), expected.x()));
        QVERIFY(near(vertical ? maxY(reopened) : midY(reopened), expected.y()));
    }

    void modifierRelease_data()
    {
        QTest::addColumn<bool>("viaShortcut");
        QTest::addColumn<bool>("pointerOnPanel");
        QTest::addColumn<QString>("focused"); // empty: the showing goes on
        QTest::newRow("pointer on a card: that card") << true << true << "C";
        QTest::newRow("pointer elsewhere: the selection") << true << false << "B";
        QTest::newRow("showing from a menu ignores it") << false << true << "";
    }
    void modifierRelease()
    {
        QFETCH(bool, viaShortcut);
        QFETCH(bool, pointerOnPanel);
        QFETCH(QString, focused);
        Overlay o(textEdit({"A", "B", "C"}), {Browser::textedit});
        o.controller.setActivatedViaHotkey(viaShortcut);
        o.controller.show(1, std::nullopt); // B selected
        o.controller.hoverCard(2);          // C under the pointer
        const QRectF frame = o.controller.panelFrame();
        const QPointF pointer =
            pointerOnPanel ? QPointF(midX(frame), midY(frame)) : Overlay::pointerAside;
        o.changeModel([&](SimModel& model) { model.pointer = pointer; });

        o.controller.handleModifierRelease();
        QCOMPARE(o.controller.isVisible(), focused.isEmpty());
        QCOMPARE(o.mainWindowTitle(601), focused.isEmpty() ? QStringLiteral("A") : focused);
        if (!focused.isEmpty()) {
            const int index = int(focused.at(0).unicode() - u'A');
            QCOMPARE(o.tracker.order().value(0), QStringLiteral("cg-%1").arg(101 + index));
            QVERIFY(!o.controller.activatedViaHotkey());
        }
    }

    void commitAndHideEdges()
    {
        Overlay o(textEdit({}), {Browser::textedit});
        o.controller.show(1, Browser::textedit);
        o.controller.commitCard(0); // no such card
        QVERIFY(o.controller.isVisible());
        o.controller.commit(); // nothing to focus: hides all the same
        QVERIFY(!o.controller.isVisible());
        QVERIFY(o.tracker.order().isEmpty());
        QVERIFY(!o.controller.scope());
    }

    // A showing that starts while the last one fades out is not hidden by
    // the end of that fade.
    void fadeOutRace()
    {
        Overlay o(textEdit({"A"}), {Browser::textedit});
        o.controller.show(1, std::nullopt);
        OverlayPanel* panel = o.controller.panel();
        QCOMPARE(panel->windowOpacity(), 0.0);
        QTRY_COMPARE(panel->windowOpacity(), 1.0);

        o.controller.hide();
        QVERIFY(panel->isVisible()); // fading
        o.controller.show(1, std::nullopt);
        // The fade-in lasts longer than the fade-out would have.
        QTRY_COMPARE(panel->windowOpacity(), 1.0);
        QVERIFY(panel->isVisible());

        o.controller.hide();
        QTRY_VERIFY(!panel->isVisible());
        QCOMPARE(panel->windowOpacity(), 0.0);
    }

    void reduceMotionShowsAndHidesAtOnce()
    {
        SimModel model = textEdit({"A"});
        model.reduceMotion = true;
        Overlay o(model, {Browser::textedit});
        o.controller.show(1, std::nullopt);
        QCOMPARE(o.controller.panel()->windowOpacity(), 1.0);
        QVERIFY(o.controller.panel()->isVisible());
        o.controller.hide();
        QVERIFY(!o.controller.panel()->isVisible());
    }

    void hostileInput()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QString longTitle = QStringLiteral("\x01\t\n") + QString(10000, u'x');
        SimScenarioBuilder builder = Overlay::desktop();
        builder.launch(Browser::textedit, 601)
            .window("Nowhere", QRectF(nan, nan, nan, nan))
            .window("Huge", QRectF(1e12, -1e12, 1e12, 1e12))
            .windowNumber(102)
            .window(longTitle)
            .windowNumber(103);
        SimModel model = builder.build();
        model.screens.clear();
        Overlay o(model, {Browser::textedit});

        // No screen: nothing to place the panel on, the showing goes on.
        o.controller.show(1, std::nullopt);
        QCOMPARE(o.controller.windows().size(), 3);
        QVERIFY(o.controller.isVisible());
        o.controller.type("xx");
        QCOMPARE(o.titles(), QStringList{longTitle});
        o.controller.hide();

        o.changeModel([](SimModel& m) {
            m.screens = {{Overlay::screenFrame, Overlay::visibleFrame, "Built-in"}};
        });
        o.controller.show(1, std::nullopt);
        QVERIFY(inside(o.controller.panelFrame(), Overlay::visibleFrame));
    }
};

QTEST_MAIN(TestOverlayPanel)
#include "tst_OverlayPanel.moc"

// CTest labels: threads
// (Previews are off here, so the threads are the re-listing and its hand-off
// to the main thread; tests that capture snapshots run on Qt's own futures.)
#include "support/OverlayFixture.h"

#include <QTest>

namespace {

using Overlay = OverlayFixture;

// Selection never looks at pictures; without them no capture runs.
struct Selection : OverlayFixture {
    explicit Selection(const SimModel& model)
        : OverlayFixture(model, {Browser::preview, Browser::textedit})
    {
        preferences.setShowWindowPreviews(false);
    }
};

QStringList numbered(const QString& stem, int count)
{
    QStringList titles;
    for (int i = 0; i < count; ++i)
        titles << stem + QString::number(i);
    return titles;
}

// Preview and TextEdit (Preview first in the roster), both seen through
// Accessibility alone; an app with no window is not launched.
SimModel twoApps(const QStringList& preview, const QStringList& textEdit)
{
    SimScenarioBuilder builder = Overlay::desktop();
    if (!preview.isEmpty())
        Overlay::withWindows(builder, Browser::preview, 601, preview, 101);
    if (!textEdit.isEmpty())
        Overlay::withWindows(builder, Browser::textedit, 602, textEdit, 201);
    return builder.build();
}

std::optional<Browser> app(int raw)
{
    return raw < 0 ? std::nullopt : std::optional<Browser>(Browser::Case(raw));
}

} // namespace

class TestOverlaySelection : public QObject {
    Q_OBJECT
private slots:
    void cycleWrapsFromTheHighlightedCard()
    {
        Selection o(twoApps({}, {"A", "B", "C"}));
        o.controller.show(1, std::nullopt);
        QCOMPARE(o.controller.selectedIndex(), 1);
        o.controller.cycle(1);
        o.controller.cycle(1);
        QCOMPARE(o.controller.selectedIndex(), 0);
        o.controller.cycle(-1);
        QCOMPARE(o.controller.selectedIndex(), 2);

        o.controller.hoverCard(0);
        o.controller.hoverCard(3); // out of range: ignored
        QCOMPARE(o.controller.highlightedIndex(), 0);
        o.controller.cycle(1); // from the card under the pointer
        QCOMPARE(o.controller.selectedIndex(), 1);
        QVERIFY(!o.controller.hoveredIndex());
    }

    void cycleRow_data()
    {
        QTest::addColumn<int>("previewWindows");
        QTest::addColumn<int>("textEditWindows");
        QTest::addColumn<bool>("grid");
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("selected");
        // Seven cards make three columns on a visible frame 1440 wide.
        QTest::newRow("grid: down a row") << 7 << 0 << true << false << 2 << 1 << 5;
        QTest::newRow("grid: up a row") << 7 << 0 << true << false << 4 << -1 << 1;
        QTest::newRow("grid: down past the end") << 7 << 0 << true << false << 5 << 1 << 5;
        QTest::newRow("grid: up past the start") << 7 << 0 << true << false << 1 << -1 << 1;
        QTest::newRow("column: up from the first wraps") << 3 << 0 << false << true << 0 << -1 << 2;
        QTest::newRow("strip: no rows") << 3 << 0 << false << false << 1 << 1 << 1;
        QTest::newRow("two apps: down to the next app") << 2 << 2 << false << false << 1 << 1 << 2;
        QTest::newRow("two apps: down from the last app")
            << 2 << 2 << false << false << 3 << 1 << 3;
        QTest::newRow("two apps: up to the first card of the previous app")
            << 2 << 2 << false << false << 3 << -1 << 0;
        QTest::newRow("two apps in a grid move by app") << 2 << 2 << true << false << 0 << 1 << 2;
    }
    void cycleRow()
    {
        QFETCH(int, previewWindows);
        QFETCH(int, textEditWindows);
        QFETCH(bool, grid);
        QFETCH(bool, vertical);
        QFETCH(int, start);
        QFETCH(int, step);
        QFETCH(int, selected);
        Selection o(twoApps(numbered("P", previewWindows), numbered("T", textEditWindows)));
        o.preferences.setLayoutMode(grid ? LayoutMode::grid : LayoutMode::strip);
        o.preferences.setPanelPosition(vertical ? PanelPosition::left : PanelPosition::center);
        o.controller.show(0, std::nullopt);
        o.controller.hoverCard(start); // the pointer's card is where a row move starts
        o.controller.cycleRow(step);
        QCOMPARE(o.controller.selectedIndex(), selected);
        QVERIFY(!o.controller.hoveredIndex());
    }

    void selectFilter_data()
    {
        QTest::addColumn<int>("filterBefore");
        QTest::addColumn<bool>("scoped");
        QTest::addColumn<bool>("oneApp");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("filterAfter");
        QTest::addColumn<int>("cards");
        QTest::addColumn<bool>("adjusted");
        const int preview = Browser::preview;
        const int textEdit = Browser::textedit;
        QTest::newRow("Command+2: the second chip")
            << -1 << false << false << false << 2 << textEdit << 1 << true;
        QTest::newRow("Command+1: all apps")
            << preview << false << false << false << 0 << -1 << 3 << true;
        QTest::newRow("one past the last chip changes nothing but counts")
            << preview << false << false << false << 3 << preview << 2 << true;
        QTest::newRow("scoped showing") << -1 << true << false << false << 2 << -1 << 1 << false;
        QTest::newRow("one app on screen") << -1 << false << true << false << 1 << -1 << 2 << false;
        QTest::newRow("hidden") << -1 << false << false << true << 2 << -1 << 3 << false;
    }
    void selectFilter()
    {
        QFETCH(int, filterBefore);
        QFETCH(bool, scoped);
        QFETCH(bool, oneApp);
        QFETCH(bool, hidden);
        QFETCH(int, index);
        QFETCH(int, filterAfter);
        QFETCH(int, cards);
        QFETCH(bool, adjusted);
        Selection o(twoApps({"P1", "P2"}, oneApp ? QStringList() : QStringList{"T1"}));
        // The filter is kept from an earlier showing.
        o.controller.show(0, std::nullopt);
        o.controller.chooseFilter(app(filterBefore));
        o.controller.hide();
        o.controller.show(1, scoped ? std::optional<Browser>(Browser::textedit) : std::nullopt);
        if (hidden)
            o.controller.hide();
        o.controller.selectFilter(index);
        QCOMPARE(o.controller.activeFilter(), app(filterAfter));
        QCOMPARE(o.controller.windows().size(), cards);
        QCOMPARE(o.controller.userAdjusted(), adjusted);
    }

    void typingAndDeleting()
    {
        Selection o(twoApps({"Receipt", "Digital art"}, {"Git notes", "Shopping"}));
        o.controller.show(1, std::nullopt);
        o.controller.type("g");
        QCOMPARE(o.titles(), (QStringList{"Digital art", "Git notes", "Shopping"}));
        o.controller.type("I");
        o.controller.type("t");
        QCOMPARE(o.titles(), (QStringList{"Digital art", "Git notes"}));
        QCOMPARE(o.controller.groups().size(), 2);
        o.controller.cycle(1);
        o.controller.backspaceSearch();
        QCOMPARE(o.controller.searchQuery(), QStringLiteral("gI"));
        QCOMPARE(o.controller.selectedIndex(), 0);
        o.controller.type("zz");
        QVERIFY(o.controller.windows().isEmpty());
        QCOMPARE(o.controller.selectedIndex(), 0);
        for (int i = 0; i < 4; ++i)
            o.controller.backspaceSearch();
        QCOMPARE(o.controller.windows().size(), 4);
        QCOMPARE(o.controller.selectedIndex(), 0);
        QVERIFY(o.controller.userAdjusted());

        // One user-perceived character at a time.
        o.controller.type(QStringLiteral("a\U0001F44D\U0001F3FDe\u0301"));
        o.controller.backspaceSearch();
        QCOMPARE(o.controller.searchQuery(), QStringLiteral("a\U0001F44D\U0001F3FD"));
        o.controller.backspaceSearch();
        QCOMPARE(o.controller.searchQuery(), QStringLiteral("a"));

        o.controller.hide();
        o.controller.type("hidden"); // only while visible
        QVERIFY(o.controller.searchQuery().isEmpty());
    }

    // A background re-filter after the user picked a card, or while the
    // pointer rests on one.
    void reFilterKeepsTheSelection_data()
    {
        QTest::addColumn<int>("picked");
        QTest::addColumn<bool>("pointerRests");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("highlighted");
        QTest::addColumn<bool>("hovered");
        QTest::newRow("moved: followed") << 2 << false << "raise"
                                         << "C" << 0 << false;
        QTest::newRow("gone: the index stays") << 1 << false << "remove"
                                               << "B" << 1 << false;
        QTest::newRow("gone from the end: clamped") << 3 << false << "remove"
                                                    << "D" << 2 << false;
        QTest::newRow("hovered and moved: the hover follows") << 2 << true << "raise"
                                                              << "C" << 0 << true;
        QTest::newRow("hovered and gone: the selection shows") << 1 << true << "remove"
                                                               << "B" << 0 << false;
    }
    void reFilterKeepsTheSelection()
    {
        QFETCH(int, picked);
        QFETCH(bool, pointerRests);
        QFETCH(QString, change);
        QFETCH(QString, title);
        QFETCH(int, highlighted);
        QFETCH(bool, hovered);
        Selection o(twoApps({}, {"A", "B", "C", "D"}));
        o.controller.show(0, std::nullopt);
        o.controller.hide();
        o.changeModel([&](SimModel& model) {
            auto& windows = model.instance(602)->windows;
            const auto it = std::find_if(windows.begin(), windows.end(),
                                         [&](const SimWindow& w) { return w.title == title; });
            const SimWindow moved = *it;
            windows.erase(it);
            if (change == "raise")
                windows.prepend(moved);
        });
        o.controller.show(0, std::nullopt);
        o.controller.hoverCard(picked);
        if (!pointerRests)
            o.controller.cycle(0);
        o.controller.finishBackgroundDiscovery();
        QCOMPARE(o.controller.highlightedIndex(), highlighted);
        QCOMPARE(o.controller.hoveredIndex().has_value(), hovered);
    }
};

QTEST_MAIN(TestOverlaySelection)
#include "tst_OverlaySelection.moc"

#include "Models/Browser.h"
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"

#include <QTest>

class TestBrowser : public QObject {
    Q_OBJECT
private slots:
    void rosterOrder()
    {
        QCOMPARE(Browser::allCases().size(), size_t(32));
        QCOMPARE(Browser::allCases().front(), Browser::safari);
        QCOMPARE(Browser::allCases().back(), Browser::obsidian);
    }

    void installedInRosterOrder()
    {
        SimPlatform sim(
            SimScenarioBuilder().install(Browser::finder).install(Browser::safari).build());
        QCOMPARE(Browser::installed(sim.workspace),
                 (QList<Browser>{Browser::safari, Browser::finder}));
    }
};

QTEST_GUILESS_MAIN(TestBrowser)
#include "tst_Browser.moc"

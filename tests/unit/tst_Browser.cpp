#include "Models/Browser.h"

#include <QTest>

class TestBrowser : public QObject {
    Q_OBJECT
private slots:
    void rosterOrder()
    {
        QCOMPARE(Browser::allCases().size(), size_t(32));
        QCOMPARE(Browser::allCases().front(), Browser::safari);
    }
};

QTEST_GUILESS_MAIN(TestBrowser)
#include "tst_Browser.moc"

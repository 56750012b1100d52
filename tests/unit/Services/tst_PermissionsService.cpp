#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Services/PermissionsService.h"

#include <QTest>

class TestPermissionsService : public QObject {
    Q_OBJECT
private slots:
    void summary_data()
    {
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<bool>("capture");
        QTest::addColumn<QString>("expected");
        QTest::newRow("both") << true << true
                              << "Accessibility: granted\nScreen Recording: granted";
        QTest::newRow("accessibility only")
            << true << false << "Accessibility: granted\nScreen Recording: not granted";
        QTest::newRow("capture only")
            << false << true << "Accessibility: not granted\nScreen Recording: granted";
    }
    void summary()
    {
        QFETCH(bool, trusted);
        QFETCH(bool, capture);
        QFETCH(QString, expected);
        SimPlatform sim(SimScenarioBuilder().trusted(trusted).screenRecording(capture).build());
        PermissionsService permissions(sim.accessibility, sim.windowServer);
        QCOMPARE(permissions.statusSummary(), expected);
    }

    void checksAskAgainAndNeverPrompt()
    {
        SimPlatform sim(SimScenarioBuilder().trusted(false).screenRecording(false).build());
        PermissionsService permissions(sim.accessibility, sim.windowServer);
        for (int i = 0; i < 3; ++i) {
            QVERIFY(!permissions.isAccessibilityTrusted());
            QVERIFY(!permissions.isScreenRecordingAllowed());
            permissions.statusSummary();
        }
        QCOMPARE(sim.control.trustPromptCount(), 0);
        QCOMPARE(sim.control.captureAccessRequestCount(), 0);

        QVERIFY(!permissions.requestAccessibility());
        permissions.requestScreenRecording();
        QCOMPARE(sim.control.trustPromptCount(), 1);
        QCOMPARE(sim.control.captureAccessRequestCount(), 1);

        // Granted while running: seen at the next check.
        sim.host.modify([](SimModel& model) {
            model.accessibilityTrusted = true;
            model.screenRecordingGranted = true;
        });
        QVERIFY(permissions.isAccessibilityTrusted());
        QVERIFY(permissions.isScreenRecordingAllowed());
        QVERIFY(permissions.requestAccessibility());
        QCOMPARE(sim.control.trustPromptCount(), 1); // no prompt once trusted
    }
};

QTEST_GUILESS_MAIN(TestPermissionsService)
#include "tst_PermissionsService.moc"

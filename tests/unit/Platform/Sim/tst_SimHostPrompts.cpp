#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimPrivacyPaneOpener.h"
#include "Platform/Sim/SimScenarioBuilder.h"

#include <QSignalSpy>
#include <QTest>

namespace {

enum class Cause { trustPrompt, captureRequest, pane };

struct Permissions {
    bool trusted;
    bool capture;
    bool automation; // every running app accepts Apple events
};

Permissions permissions(SimPlatform& sim)
{
    return sim.host.read([](const SimModel& model) {
        bool automation = true;
        for (const SimInstance& instance : model.instances)
            automation = automation && !instance.scripting.automationDenied;
        return Permissions{model.accessibilityTrusted, model.screenRecordingGranted, automation};
    });
}

} // namespace

class TestSimHostPrompts : public QObject {
    Q_OBJECT
private slots:
    // What each prompt or pane does to the permissions when answered.
    void answers_data()
    {
        QTest::addColumn<int>("cause");
        QTest::addColumn<QString>("anchor");
        QTest::addColumn<bool>("before"); // the permission's state before
        QTest::addColumn<bool>("grant");
        QTest::addColumn<QString>("permission");
        QTest::addColumn<bool>("after");

        const auto trust = int(Cause::trustPrompt);
        const auto capture = int(Cause::captureRequest);
        const auto pane = int(Cause::pane);
        QTest::newRow("trust prompt allowed") << trust << "" << false << true << "trusted" << true;
        QTest::newRow("trust prompt denied") << trust << "" << false << false << "trusted" << false;
        QTest::newRow("capture request allowed")
            << capture << "" << false << true << "capture" << true;
        QTest::newRow("capture request denied")
            << capture << "" << false << false << "capture" << false;
        QTest::newRow("accessibility pane on")
            << pane << "Privacy_Accessibility" << false << true << "trusted" << true;
        QTest::newRow("accessibility pane off")
            << pane << "Privacy_Accessibility" << true << false << "trusted" << false;
        QTest::newRow("screen capture pane on")
            << pane << "Privacy_ScreenCapture" << false << true << "capture" << true;
        QTest::newRow("screen capture pane off")
            << pane << "Privacy_ScreenCapture" << true << false << "capture" << false;
        QTest::newRow("automation pane on")
            << pane << "Privacy_Automation" << false << true << "automation" << true;
        QTest::newRow("automation pane off")
            << pane << "Privacy_Automation" << true << false << "automation" << false;
    }
    void answers()
    {
        QFETCH(int, cause);
        QFETCH(QString, anchor);
        QFETCH(bool, before);
        QFETCH(bool, grant);
        QFETCH(QString, permission);
        QFETCH(bool, after);

        SimScenarioBuilder builder;
        builder.trusted(permission == "trusted" ? before : true)
            .screenRecording(permission == "capture" ? before : true)
            .launch(Browser::safari, 300)
            .launch(Browser::finder, 301);
        builder.lastInstance().scripting.automationDenied = permission == "automation" && !before;
        SimPlatform sim(builder.build());
        SimUrlOpener others;
        SimPrivacyPaneOpener opener(sim.control.prompts(), others);
        QSignalSpy changed(&sim.control.prompts(), &SimHostPrompts::promptsChanged);

        switch (Cause(cause)) {
        case Cause::trustPrompt:
            sim.accessibility.isProcessTrustedWithPrompt();
            break;
        case Cause::captureRequest:
            sim.windowServer.requestScreenCaptureAccess();
            break;
        case Cause::pane:
            QVERIFY(opener.open(
                QUrl("x-apple.systempreferences:com.apple.preference.security?" + anchor)));
            break;
        }
        QVERIFY(changed.wait(1000));
        const QList<SimHostPrompt> pending = sim.control.prompts().pending();
        QCOMPARE(pending.size(), 1);
        QCOMPARE(pending.first().anchor, anchor);
        QVERIFY(!pending.first().title().isEmpty());
        QVERIFY(others.opened().isEmpty());

        QVERIFY(sim.control.prompts().answer(pending.first().id, grant));
        const Permissions now = permissions(sim);
        const bool actual = permission == "trusted"   ? now.trusted
                            : permission == "capture" ? now.capture
                                                      : now.automation;
        QCOMPARE(actual, after);
        QVERIFY(sim.control.prompts().pending().isEmpty());
        QCOMPARE(sim.control.prompts().all().first().state,
                 grant ? SimHostPrompt::State::granted : SimHostPrompt::State::denied);
        QVERIFY(!sim.control.prompts().answer(pending.first().id, !grant)); // answered once only
        QTRY_COMPARE(changed.size(), 2);
    }

    void promptsAppearOnlyWhenTheHostWouldShowThem()
    {
        SimPlatform sim(SimScenarioBuilder().trusted(true).screenRecording(false).build());
        SimHostPrompts& prompts = sim.control.prompts();
        sim.accessibility.isProcessTrustedWithPrompt(); // already trusted: no prompt
        QVERIFY(prompts.all().isEmpty());

        sim.windowServer.requestScreenCaptureAccess();
        sim.windowServer.requestScreenCaptureAccess(); // the same dialog is still up
        QCOMPARE(prompts.pending().size(), 1);
        QVERIFY(prompts.answer(prompts.pending().first().id, false));
        sim.windowServer.requestScreenCaptureAccess(); // asked again after a denial
        QCOMPARE(prompts.pending().size(), 1);
        QCOMPARE(prompts.all().size(), 2);
    }

    void otherUrlsGoToTheDesktop()
    {
        SimPlatform sim;
        SimUrlOpener others;
        SimPrivacyPaneOpener opener(sim.control.prompts(), others);
        const QUrl folder = QUrl::fromLocalFile("/tmp/TesselNav-Snapshots");
        QVERIFY(opener.open(folder));
        QCOMPARE(others.opened(), QList<QUrl>{folder});
        QVERIFY(sim.control.prompts().all().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSimHostPrompts)
#include "tst_SimHostPrompts.moc"

#include "support/OnboardingFixture.h"

#include "Platform/Sim/SimScenarioBuilder.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>

using Scenario = std::function<SimModel()>;
Q_DECLARE_METATYPE(Scenario)

namespace {

SimScenarioBuilder& denyAutomation(SimScenarioBuilder& builder)
{
    builder.lastInstance().scripting.automationDenied = true;
    return builder;
}

} // namespace

class TestOnboardingModel : public QObject {
    Q_OBJECT
private slots:
    void automationTest_data()
    {
        QTest::addColumn<Scenario>("scenario");
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("ok");

        QTest::newRow("nothing installed") << Scenario([] { return SimScenarioBuilder().build(); })
                                           << "No scriptable browsers installed." << false;
        QTest::newRow("only apps that are never tested") << Scenario([] {
            return SimScenarioBuilder()
                .install(Browser::firefox)
                .install(Browser::photoshop)
                .install(Browser::word)
                .launch(Browser::firefox, 300)
                .window("Firefox window")
                .build();
        }) << "No scriptable browsers installed." << false;
        QTest::newRow("running but not installed") << Scenario([] {
            return SimScenarioBuilder()
                .launch(Browser::safari, 300)
                .window("A")
                .script("1")
                .build();
        }) << "No scriptable browsers installed." << false;
        QTest::newRow("installed, none running") << Scenario([] {
            return SimScenarioBuilder().install(Browser::chrome).install(Browser::safari).build();
        }) << "Safari: not running, skipped  \u00b7  Chrome: not running, skipped"
                                                 << false;
        QTest::newRow("one window") << Scenario([] {
            return SimScenarioBuilder()
                .install(Browser::safari)
                .launch(Browser::safari, 300)
                .window("A")
                .script("1")
                .build();
        }) << "Safari: 1 window \u2713"
                                    << true;
        QTest::newRow("three windows") << Scenario([] {
            return SimScenarioBuilder()
                .install(Browser::chrome)
                .launch(Browser::chrome, 300)
                .window("A")
                .script("1")
                .window("B")
                .script("2")
                .window("C")
                .script("3")
                .build();
        }) << "Chrome: 3 windows \u2713"
                                       << true;
        QTest::newRow("no windows still passes") << Scenario([] {
            return SimScenarioBuilder()
                .install(Browser::terminal)
                .launch(Browser::terminal, 300)
                .build();
        }) << "Terminal: 0 windows \u2713" << true;
        QTest::newRow("a skipped app does not fail the test") << Scenario([] {
            return SimScenarioBuilder()
                .install(Browser::safari)
                .install(Browser::keynote)
                .launch(Browser::safari, 300)
                .window("A")
                .script("1")
                .build();
        }) << "Safari: 1 window \u2713  \u00b7  Keynote: not running, skipped"
                                                              << true;
        QTest::newRow("one failure fails the test, lines in roster order")
            << Scenario([] {
                   SimScenarioBuilder builder;
                   builder.install(Browser::finder)
                       .install(Browser::safari)
                       .launch(Browser::finder, 301);
                   denyAutomation(builder);
                   builder.launch(Browser::safari, 300)
                       .window("A")
                       .script("1")
                       .window("B")
                       .script("2");
                   return builder.build();
               })
            << "Safari: 2 windows \u2713  \u00b7  Finder: Not authorized to send Apple events to "
               "Finder. (-1743)"
            << false;
    }
    void automationTest()
    {
        QFETCH(Scenario, scenario);
        QFETCH(QString, result);
        QFETCH(bool, ok);
        OnboardingFixture f(scenario());
        QSignalSpy resultChanged(f.model.get(), &OnboardingModel::automationResultChanged);
        QVERIFY(!f.model->automationResult());

        f.model->testAutomation();
        QCOMPARE(f.model->automationResult().value_or(QString()), result);
        QCOMPARE(f.model->automationOK(), ok);
        QCOMPARE(resultChanged.size(), 1);
    }

    void automationResultFollowsTheLatestTest()
    {
        SimScenarioBuilder builder;
        builder.install(Browser::safari).launch(Browser::safari, 300).window("A").script("1");
        denyAutomation(builder);
        OnboardingFixture f(builder.build());
        f.model->testAutomation();
        QVERIFY(!f.model->automationOK());

        // Allowed in the host's settings meanwhile: only the next test sees it.
        f.sim.control.changeScripting(Browser(Browser::safari).bundleID(),
                                      [](SimScripting& s) { s.automationDenied = false; });
        f.model->refresh();
        QVERIFY(!f.model->automationOK());
        f.model->testAutomation();
        QVERIFY(f.model->automationOK());
        QCOMPARE(*f.model->automationResult(), "Safari: 1 window \u2713");
    }

    void openPane_data()
    {
        QTest::addColumn<QString>("anchor");
        QTest::addColumn<QString>("opened");
        const QString base =
            QStringLiteral("x-apple.systempreferences:com.apple.preference.security?");
        for (const char* anchor :
             {"Privacy_Accessibility", "Privacy_ScreenCapture", "Privacy_Automation"})
            QTest::newRow(anchor) << anchor << base + anchor;
        QTest::newRow("a space does not parse") << "Privacy Accessibility" << QString();
        QTest::newRow("a stray percent does not parse") << "Privacy_%zz" << QString();
        QTest::newRow("angle brackets do not parse") << "<Privacy>" << QString();
    }
    void openPane()
    {
        QFETCH(QString, anchor);
        QFETCH(QString, opened);
        OnboardingFixture f(SimScenarioBuilder().build());
        f.model->openPane(anchor);
        const QList<QUrl> expected =
            opened.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(opened, QUrl::StrictMode)};
        QCOMPARE(f.sim.urlOpener.opened(), expected);
    }
};

QTEST_GUILESS_MAIN(TestOnboardingModel)
#include "tst_OnboardingModel.moc"

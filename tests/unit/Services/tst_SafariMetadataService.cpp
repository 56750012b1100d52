// CTest labels: threads
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Services/SafariMetadataService.h"
#include "Services/SafariWindowService.h"
#include "Services/ScriptGuard.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <memory>

namespace {

// A running app, its services and the Accessibility list of its windows.
struct Fixture {
    explicit Fixture(const SimModel& model, MetadataTimeouts timeouts = {2.0, 2.0})
        : sim(model), guard(sim.appleScript, sim.systemLog, sim.clock), windows(sim.platform()),
          service(platform, guard, timeouts)
    {
        sim.control.setRecording(true);
    }
    SimPlatform sim;
    Platform platform = sim.platform();
    ScriptGuard guard;
    SafariWindowService windows;
    SafariMetadataService service;

    QList<SafariWindow> merge(Browser browser)
    {
        return service.mergeAndEnrich(windows.discoverWindows(browser), browser, windows);
    }
    void setScripting(Browser browser, const std::function<void(SimScripting&)>& change)
    {
        sim.control.changeScripting(browser.bundleID(), change);
    }
};

QString errorText(const MetadataResult<QList<WindowMetadata>>& result)
{
    const auto* error = std::get_if<MetadataError>(&result);
    return error ? error->description() : QStringLiteral("(no error)");
}

AEDescriptor element(const QString& id, const QString& name, const QString& url, int count,
                     bool minimized)
{
    return AEDescriptor::list({AEDescriptor::text(id), AEDescriptor::text(name),
                               AEDescriptor::text(url), AEDescriptor::integer(count),
                               AEDescriptor::boolean(minimized)});
}

QStringList titles(const QList<SafariWindow>& windows)
{
    QStringList result;
    for (const SafariWindow& window : windows)
        result << window.title;
    return result;
}

} // namespace

class TestSafariMetadataService : public QObject {
    Q_OBJECT
private slots:
    void productTimeouts()
    {
        const MetadataTimeouts timeouts;
        QCOMPARE(timeouts.list, 6.0);
        QCOMPARE(timeouts.activeDocument, 3.0);
        QCOMPARE(ScriptGuard::benchSeconds, 90.0);
    }

    void safariScriptText()
    {
        QCOMPARE(
            *SafariMetadataService::listScript(Browser::safari),
            QStringLiteral(
                "tell application id \"com.apple.Safari\"\n    set out to {}\n    repeat with w in "
                "windows\n        try\n            set theID to (id of w) as text\n            "
                "set theName to name of w as text\n            set theCount to count of tabs of "
                "w\n            set theMin to miniaturized of w\n            set theURL to "
                "\"\"\n            try\n                set theURL to URL of current tab of w as "
                "text\n            end try\n            set end of out to {theID, theName, "
                "theURL, theCount, theMin}\n        end try\n    end repeat\n    return "
                "out\nend tell"));
        QCOMPARE(SafariMetadataService::activeDocumentScript(Browser::acrobat),
                 "tell application id \"com.adobe.Acrobat.Pro\" to get name of active doc");
        QVERIFY(!SafariMetadataService::listScript(Browser::photoshop));
        QVERIFY(!SafariMetadataService::listScript(Browser::firefox));
    }

    // The simulated apps accept only the exact texts, so every kind's script
    // is checked against an independent transcription here.
    void everyWindowScriptAppAnswers_data()
    {
        QTest::addColumn<int>("app");
        QTest::addColumn<QString>("url");
        QTest::addColumn<int>("tabs");
        QTest::addColumn<bool>("minimized");
        const QString page = QStringLiteral("https://example.org/a");
        QTest::newRow("safari") << int(Browser::safari) << page << 3 << true;
        QTest::newRow("chrome") << int(Browser::chrome) << page << 3 << true;
        QTest::newRow("arc") << int(Browser::arc) << page << 3 << true;
        QTest::newRow("edge") << int(Browser::edge) << page << 3 << true;
        QTest::newRow("brave") << int(Browser::brave) << page << 3 << true;
        QTest::newRow("vivaldi") << int(Browser::vivaldi) << page << 3 << true;
        QTest::newRow("opera") << int(Browser::opera) << page << 3 << true;
        QTest::newRow("finder") << int(Browser::finder) << page << 0 << false;
        QTest::newRow("terminal") << int(Browser::terminal) << QString() << 0 << true;
        QTest::newRow("iterm") << int(Browser::iterm) << QString() << 0 << true;
        QTest::newRow("pages") << int(Browser::pages) << QString() << 0 << true;
        QTest::newRow("numbers") << int(Browser::numbers) << QString() << 0 << true;
        QTest::newRow("keynote") << int(Browser::keynote) << QString() << 0 << true;
    }
    void everyWindowScriptAppAnswers()
    {
        QFETCH(int, app);
        QFETCH(QString, url);
        QFETCH(int, tabs);
        QFETCH(bool, minimized);
        const Browser browser = Browser::Case(app);
        Fixture f(SimScenarioBuilder()
                      .launch(browser, 400)
                      .window("Front")
                      .minimized()
                      .script("31", "https://example.org/a", 3)
                      .window("No script id")
                      .build());
        const auto result = f.service.fetchMetadata(browser);
        QCOMPARE(errorText(result), QStringLiteral("(no error)"));
        const WindowMetadata expected{"31", "Front",
                                      url.isEmpty() ? std::nullopt : std::optional(QUrl(url)), tabs,
                                      minimized};
        QCOMPARE(std::get<QList<WindowMetadata>>(result), QList<WindowMetadata>{expected});
    }

    void everyDocumentAppAnswers_data()
    {
        QTest::addColumn<int>("app");
        QTest::newRow("photoshop") << int(Browser::photoshop);
        QTest::newRow("illustrator") << int(Browser::illustrator);
        QTest::newRow("indesign") << int(Browser::indesign);
        QTest::newRow("acrobat") << int(Browser::acrobat);
    }
    void everyDocumentAppAnswers()
    {
        QFETCH(int, app);
        const Browser browser = Browser::Case(app);
        Fixture f(SimScenarioBuilder().launch(browser, 500).documents({"One", "", "Two"}).build());
        const auto result = f.service.fetchDocuments(browser);
        QVERIFY(std::holds_alternative<QStringList>(result));
        QCOMPARE(std::get<QStringList>(result), (QStringList{"One", "Two"})); // "" is dropped
    }

    void refusalsBeforeAnyScript()
    {
        Fixture f(SimScenarioBuilder().launch(Browser::photoshop, 500).build());
        QCOMPARE(errorText(f.service.fetchMetadata(Browser::firefox)),
                 "Firefox does not support tab scripting.");
        QCOMPARE(errorText(f.service.fetchMetadata(Browser::photoshop)),
                 "Photoshop does not support tab scripting.");
        QCOMPARE(errorText(f.service.fetchMetadata(Browser::safari)), "Safari is not running.");
        const auto documents = f.service.fetchDocuments(Browser::indesign);
        QCOMPARE(std::get<MetadataError>(documents).description(), "InDesign is not running.");
        QVERIFY(f.sim.control.executedScripts().isEmpty());
    }

    void malformedRepliesAreSkippedElementByElement()
    {
        Fixture f(SimScenarioBuilder().launch(Browser::chrome, 400).build());
        const AEDescriptor reply = AEDescriptor::list({
            element("1", "Good", "https://a.example/", 2, true),
            AEDescriptor::list({AEDescriptor::text("2"), AEDescriptor::text("Four"),
                                AEDescriptor::text(""), AEDescriptor::integer(1)}),
            element("", "No id", "https://b.example/", 1, false),
            AEDescriptor::text("not a window"),
            element("5", "Blank URL", "", 4, false),
            element("6", "Bad URL", "http://exa mple.org/", 1, false),
            AEDescriptor::list({AEDescriptor::integer(7), AEDescriptor::null(),
                                AEDescriptor::text("https://c.example/"), AEDescriptor::null(),
                                AEDescriptor::null(), AEDescriptor::text("extra")}),
        });
        f.setScripting(Browser::chrome, [&](SimScripting& s) { s.replyOverride = reply; });
        const auto result = f.service.fetchMetadata(Browser::chrome);
        QCOMPARE(errorText(result), QStringLiteral("(no error)"));
        const QList<WindowMetadata> expected{
            {"1", "Good", QUrl("https://a.example/"), 2, true},
            {"5", "Blank URL", std::nullopt, 4, false},
            {"6", "Bad URL", std::nullopt, 1, false},
            {"7", "", QUrl("https://c.example/"), 0, false},
        };
        QCOMPARE(std::get<QList<WindowMetadata>>(result), expected);

        for (const AEDescriptor& notAList : {AEDescriptor::text("oops"), AEDescriptor::list({})}) {
            f.setScripting(Browser::chrome, [&](SimScripting& s) { s.replyOverride = notAList; });
            const auto empty = f.service.fetchMetadata(Browser::chrome);
            QVERIFY(std::holds_alternative<QList<WindowMetadata>>(empty));
            QVERIFY(std::get<QList<WindowMetadata>>(empty).isEmpty());
        }
    }

    void scriptErrorsCarryTheirMessage_data()
    {
        QTest::addColumn<QVariantMap>("errorInfo");
        QTest::addColumn<QString>("text");
        QTest::newRow("message and number")
            << QVariantMap{{AppleScriptErrorKey::message, "Safari got an error: nope."},
                           {AppleScriptErrorKey::number, -1708}}
            << "Safari got an error: nope. (-1708)";
        QTest::newRow("empty") << QVariantMap{} << "Unknown AppleScript error (0)";
        QTest::newRow("message not a string")
            << QVariantMap{{AppleScriptErrorKey::message, 17}, {AppleScriptErrorKey::number, -1}}
            << "Unknown AppleScript error (-1)";
        // The app's text stands as it is, placeholders and all.
        QTest::newRow("message with placeholders")
            << QVariantMap{{AppleScriptErrorKey::message, "Can’t get window %1 of %2."},
                           {AppleScriptErrorKey::number, -1728}}
            << "Can’t get window %1 of %2. (-1728)";
    }
    void scriptErrorsCarryTheirMessage()
    {
        QFETCH(QVariantMap, errorInfo);
        QFETCH(QString, text);
        Fixture f(SimScenarioBuilder().launch(Browser::safari, 400).build());
        f.setScripting(Browser::safari, [&](SimScripting& s) { s.error = errorInfo; });
        QCOMPARE(errorText(f.service.fetchMetadata(Browser::safari)), text);
    }

    void hostAndGuardFailures()
    {
        Fixture f(SimScenarioBuilder().launch(Browser::safari, 400).build(), {0.1, 0.1});
        f.setScripting(Browser::safari, [](SimScripting& s) { s.automationDenied = true; });
        QCOMPARE(errorText(f.service.fetchMetadata(Browser::safari)),
                 "Not authorized to send Apple events to Safari. (-1743)");

        f.sim.control.setScriptBuildFails(true);
        QCOMPARE(errorText(f.service.fetchMetadata(Browser::safari)),
                 "Could not build AppleScript.");
        f.sim.control.setScriptBuildFails(false);

        f.setScripting(Browser::safari, [](SimScripting& s) {
            s.automationDenied = false;
            s.hangs = true;
        });
        QCOMPARE(errorText(f.service.fetchMetadata(Browser::safari)),
                 "Safari did not answer in time.");
        // Torn down with the run held, not on its way into the host.
        QTRY_COMPARE(f.sim.control.heldScriptCount(Browser(Browser::safari).bundleID()), 1);
        QCOMPARE(errorText(f.service.fetchMetadata(Browser::safari)),
                 "A previous request to Safari is still pending.");
        f.guard.setSafeMode(true);
        QCOMPARE(errorText(f.service.fetchMetadata(Browser::safari)),
                 "Safari is not responding to scripting; retrying later.");
    }

    void pairsByExactTitleAndAppendsScriptOnlyWindows()
    {
        Fixture f(SimScenarioBuilder()
                      .launch(Browser::safari, 400)
                      .window("B", {0, 0, 500, 400})
                      .windowNumber(2)
                      .script("12", "https://b.example/", 2)
                      .window("A", {10, 10, 500, 400})
                      .windowNumber(1)
                      .script("11", "https://a.example/", 1)
                      .window("C", {20, 20, 640, 480})
                      .windowNumber(3)
                      .script("13")
                      .onlyScripting()
                      .window("Docs", {30, 30, 500, 400})
                      .windowNumber(4)
                      .script("14")
                      .onlyScripting()
                      .window("Docs ", {40, 40, 500, 400})
                      .windowNumber(5)
                      .build());
        QList<SafariWindow> ax = f.windows.discoverWindows(Browser::safari);
        std::swap(ax[0], ax[1]); // A before B
        QCOMPARE(titles(ax), (QStringList{"A", "B", "Docs "}));

        const QList<SafariWindow> merged = f.service.mergeAndEnrich(ax, Browser::safari, f.windows);
        QCOMPARE(titles(merged), (QStringList{"A", "B", "Docs ", "C", "Docs"}));
        QCOMPARE(merged[0].scriptWindowID, "11");
        QCOMPARE(merged[0].tabURL, QUrl("https://a.example/"));
        QCOMPARE(merged[0].tabCount, 1);
        QCOMPARE(merged[0].axElement, ax[0].axElement);
        QCOMPARE(merged[1].scriptWindowID, "12");
        QVERIFY(!merged[2].scriptWindowID); // a trailing blank is a different title
        QVERIFY(!merged[2].tabCount);

        const SafariWindow& c = merged[3];
        QVERIFY(!c.axElement);
        QCOMPARE(c.pid, 400);
        QCOMPARE(c.scriptWindowID, "13");
        QCOMPARE(c.windowID, 3u);
        QCOMPARE(c.frame, QRectF(20, 20, 640, 480));
        QCOMPARE(c.tabCount, 0);
        QCOMPARE(merged[4].windowID, 4u);
        QVERIFY(f.service.lastErrors().isEmpty());
    }

    void duplicateTitlesPairInOrder()
    {
        Fixture f(SimScenarioBuilder()
                      .launch(Browser::terminal, 410)
                      .window("zsh", {0, 0, 600, 400})
                      .windowNumber(21)
                      .script("1")
                      .window("zsh", {50, 50, 600, 400})
                      .windowNumber(22)
                      .script("2")
                      .window("zsh", {90, 90, 600, 400})
                      .windowNumber(23)
                      .script("3")
                      .onlyScripting()
                      .window("zsh", {130, 130, 600, 400})
                      .script("4")
                      .onlyScripting()
                      .build());
        const QList<SafariWindow> merged = f.merge(Browser::terminal);
        QCOMPARE(merged.size(), 4);
        QCOMPARE(merged[0].scriptWindowID, "1");
        QCOMPARE(merged[1].scriptWindowID, "2");
        QCOMPARE(merged[2].scriptWindowID, "3");
        // An extra entry takes the first record of that name that no window
        // of the merge holds yet; with none left it gets no number.
        QCOMPARE(merged[2].windowID, 23u);
        QCOMPARE(merged[2].frame, QRectF(90, 90, 600, 400));
        QCOMPARE(merged[3].scriptWindowID, "4");
        QVERIFY(!merged[3].windowID);
        QCOMPARE(merged[3].frame, QRectF());
    }

    void scriptOnlyWindowWithoutWindowServerName()
    {
        Fixture f(SimScenarioBuilder()
                      .screenRecording(false)
                      .launch(Browser::arc, 420)
                      .window("Hidden", {5, 5, 300, 300})
                      .windowNumber(9)
                      .script("x-1")
                      .onlyScripting()
                      .build());
        const QList<SafariWindow> merged = f.merge(Browser::arc);
        QCOMPARE(merged.size(), 1);
        QCOMPARE(merged[0].scriptWindowID, "x-1");
        QVERIFY(!merged[0].windowID);
        QCOMPARE(merged[0].frame, QRectF());
        QCOMPARE(merged[0].pid, 420); // no input window: the running instance's
    }

    void lastErrorsFollowTheLastFetch()
    {
        Fixture f(SimScenarioBuilder()
                      .launch(Browser::safari, 400)
                      .window("Home")
                      .script("1")
                      .launch(Browser::firefox, 401)
                      .window("Mozilla")
                      .build());
        const QList<SafariWindow> ax = f.windows.discoverWindows(Browser::safari);
        f.setScripting(Browser::safari, [](SimScripting& s) { s.automationDenied = true; });
        const QList<SafariWindow> unchanged =
            f.service.mergeAndEnrich(ax, Browser::safari, f.windows);
        QCOMPARE(unchanged.size(), 1);
        QVERIFY(!unchanged[0].scriptWindowID);
        QCOMPARE(f.service.lastErrors().value(Browser::safari),
                 "Not authorized to send Apple events to Safari. (-1743)");

        const QList<SafariWindow> firefox = f.merge(Browser::firefox);
        QCOMPARE(titles(firefox), QStringList{"Mozilla"});
        QVERIFY(!f.service.lastErrors().contains(Browser::firefox));

        f.setScripting(Browser::safari, [](SimScripting& s) { s.automationDenied = false; });
        QCOMPARE(f.service.mergeAndEnrich(ax, Browser::safari, f.windows)[0].scriptWindowID, "1");
        QVERIFY(f.service.lastErrors().isEmpty());
    }

    void documentAppsByPrefix()
    {
        Fixture f(SimScenarioBuilder()
                      .launch(Browser::photoshop, 600)
                      .window("Unrelated panel")
                      .windowNumber(61)
                      .window("D2 @ 66.7% (RGB/8)")
                      .windowNumber(62)
                      .documents({"D1", "D2"})
                      .build());
        const QList<SafariWindow> merged = f.merge(Browser::photoshop);
        QCOMPARE(titles(merged), (QStringList{"D1", "D2", "Unrelated panel"}));
        QVERIFY(!merged[0].axElement);
        QCOMPARE(merged[0].scriptWindowID, "D1");
        QCOMPARE(merged[0].pid, 600);
        QCOMPARE(merged[0].frame, QRectF());
        QCOMPARE(merged[1].scriptWindowID, "D2");
        QCOMPARE(merged[1].windowID, 62u);
        QVERIFY(merged[1].axElement);
        QVERIFY(!merged[2].scriptWindowID);
        QCOMPARE(merged[0].id(), "doc-photoshop-D1");
    }

    void acrobatTiesOnlyTheActiveDocument()
    {
        Fixture f(SimScenarioBuilder()
                      .launch(Browser::acrobat, 700)
                      .window("Front window")
                      .windowNumber(71)
                      .window("Back window")
                      .windowNumber(72)
                      .documents({"D1", "D2"}, QStringLiteral("D2"))
                      .build());
        QList<SafariWindow> merged = f.merge(Browser::acrobat);
        QCOMPARE(titles(merged), (QStringList{"D1", "D2"}));
        QVERIFY(!merged[0].axElement);
        QCOMPARE(merged[1].windowID, 71u);
        QCOMPARE(merged[1].scriptWindowID, "D2");

        // Without an answer about the active document every document stands alone.
        f.sim.host.modify([](SimModel& model) { model.instances[0].activeDocument.reset(); });
        merged = f.merge(Browser::acrobat);
        QCOMPARE(titles(merged), (QStringList{"D1", "D2"}));
        QVERIFY(!merged[0].axElement && !merged[1].axElement);
    }

    void documentAppWithoutDocumentsKeepsItsWindows()
    {
        Fixture f(SimScenarioBuilder()
                      .launch(Browser::indesign, 800)
                      .window("Welcome")
                      .windowNumber(81)
                      .build());
        const QList<SafariWindow> merged = f.merge(Browser::indesign);
        QCOMPARE(titles(merged), QStringList{"Welcome"});
        QVERIFY(!merged[0].scriptWindowID);
    }

    void asyncMergesRunInOrderAndReachTheMainThread()
    {
        Fixture f(SimScenarioBuilder()
                      .launch(Browser::safari, 400)
                      .window("S")
                      .script("1")
                      .launch(Browser::photoshop, 600)
                      .documents({"P"})
                      .build());
        f.setScripting(Browser::safari, [](SimScripting& s) { s.delaySeconds = 0.1; });
        QObject context;
        QStringList order;
        bool onMainThread = true;
        const auto record = [&](const QString& tag) {
            return [&, tag](const QList<SafariWindow>& windows) {
                onMainThread = onMainThread &&
                               QThread::currentThread() == QCoreApplication::instance()->thread();
                order << tag + QLatin1Char(':') + titles(windows).join(QLatin1Char(','));
            };
        };
        auto dropped = std::make_unique<QObject>();
        f.service.mergeAndEnrichAsync(f.windows.discoverWindows(Browser::safari), Browser::safari,
                                      f.windows, &context, record("safari"));
        f.service.mergeAndEnrichAsync({}, Browser::photoshop, f.windows, dropped.get(),
                                      record("dropped"));
        f.service.mergeAndEnrichAsync({}, Browser::photoshop, f.windows, &context,
                                      record("photoshop"));
        dropped.reset();
        QVERIFY(order.isEmpty()); // nothing is delivered synchronously
        QTRY_COMPARE(order, (QStringList{"safari:S", "photoshop:P"}));
        QVERIFY(onMainThread);
    }

    void lastErrorsReadWhileMergesWrite()
    {
        Fixture f(
            SimScenarioBuilder().launch(Browser::safari, 400).launch(Browser::finder, 401).build());
        f.setScripting(Browser::safari, [](SimScripting& s) { s.automationDenied = true; });
        QObject context;
        int done = 0;
        for (int i = 0; i < 40; ++i) {
            const Browser browser = i % 2 ? Browser::safari : Browser::finder;
            f.service.mergeAndEnrichAsync({}, browser, f.windows, &context,
                                          [&](const QList<SafariWindow>&) { ++done; });
        }
        QElapsedTimer patience;
        patience.start();
        while (done < 40 && patience.elapsed() < 20000) {
            const QHash<Browser, QString> errors = f.service.lastErrors();
            QVERIFY(errors.size() <= 1);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        QCOMPARE(done, 40);
        // A synchronous merge on the main thread shares the same table.
        f.merge(Browser::finder);
        QCOMPARE(f.service.lastErrors().keys(), QList<Browser>{Browser::safari});
    }
};

QTEST_GUILESS_MAIN(TestSafariMetadataService)
#include "tst_SafariMetadataService.moc"

#include "Models/SafariWindow.h"
#include "Platform/Sim/SimScenario.h"

#include <QTest>

namespace {

QString dataFile(const QString& name)
{
    return qEnvironmentVariable("TESSEL_TEST_DATA") + QStringLiteral("/scenarios/") + name;
}

const SimInstance* instanceOf(const SimModel& model, Browser browser)
{
    for (const SimInstance& instance : model.instances) {
        if (instance.bundleID == browser.bundleID())
            return &instance;
    }
    return nullptr;
}

} // namespace

class TestSimScenario : public QObject {
    Q_OBJECT
private slots:
    void defaultScenario()
    {
        const SimScenario::Result result = SimScenario::load(SimScenario::defaultPath());
        if (const auto* error = std::get_if<SimScenarioError>(&result))
            QFAIL(qPrintable(error->message));
        const SimModel& model = std::get<SimModel>(result);

        QVERIFY(model.accessibilityTrusted && model.screenRecordingGranted);
        QCOMPARE(model.screens.size(), 2);
        QVERIFY(model.frontmostPid && model.instance(*model.frontmostPid));
        QVERIFY(model.installedApp(Browser(Browser::safari).bundleID()));
        QVERIFY(!model.installedApp(Browser(Browser::arc).bundleID()));

        // Safari windows of two profiles, told apart by their titles.
        const SimInstance* safari = instanceOf(model, Browser::safari);
        QVERIFY(safari);
        QSet<QString> profiles;
        for (const SimWindow& window : safari->windows) {
            SafariWindow record;
            record.title = window.title;
            if (const auto profile = record.profileName())
                profiles << *profile;
            QVERIFY(window.windowNumber && !window.scriptID.isEmpty() && !window.url.isEmpty());
        }
        QCOMPARE(profiles, (QSet<QString>{"Work", "Personal"}));

        // Acrobat lists its documents in the Window menu, after a separator.
        const SimInstance* acrobat = instanceOf(model, Browser::acrobat);
        QVERIFY(acrobat);
        QVERIFY(!acrobat->documents.isEmpty());
        const auto windowItem =
            std::find_if(acrobat->menuBar.cbegin(), acrobat->menuBar.cend(),
                         [](const SimMenuItem& item) { return item.title == "Window"; });
        QVERIFY(windowItem != acrobat->menuBar.cend());
        QCOMPARE(windowItem->children.size(), 1); // the menu
        QStringList titles;
        for (const SimMenuItem& item : windowItem->children.first().children)
            titles << item.title;
        const qsizetype separator = titles.indexOf(QString());
        QVERIFY(separator >= 0);
        QCOMPARE(titles.mid(separator + 1), acrobat->documents);

        const SimInstance* finder = instanceOf(model, Browser::finder);
        QVERIFY(finder && finder->windows.first().url.startsWith("file:///"));
        QVERIFY(instanceOf(model, Browser::photoshop)->activeDocument);
    }

    void everyField()
    {
        const SimScenario::Result result = SimScenario::load(dataFile("every-field.json"));
        if (const auto* error = std::get_if<SimScenarioError>(&result))
            QFAIL(qPrintable(error->message));
        const SimModel& model = std::get<SimModel>(result);

        QCOMPARE(model.installedApps.size(), 3);
        QCOMPARE(model.installedApps[0].path, QStringLiteral("/Applications/Safari.app"));
        QCOMPARE(model.installedApps[1].bundleID, QStringLiteral("com.adobe.Photoshop"));
        QCOMPARE(model.installedApps[1].name, QStringLiteral("Photoshop"));
        QVERIFY(model.installedApps[1].path.contains("Photoshop 2024"));
        QCOMPARE(model.installedApps[2].name, QStringLiteral("Editor"));
        QCOMPARE(model.installedApps[2].iconColor, QColor(0x10, 0x20, 0x30));

        QCOMPARE(model.instances.size(), 3);
        const SimInstance& safari = model.instances[0];
        QCOMPARE(safari.pid, pid_t(501));
        QCOMPARE(safari.name, QStringLiteral("Safari"));
        QCOMPARE(safari.accessibility.delaySeconds, 0.5);
        QVERIFY(!safari.accessibility.hung && safari.accessibility.windowsUnreadable &&
                safari.accessibility.observerCreationFails);
        QCOMPARE(safari.scripting.delaySeconds, 2.0);
        QVERIFY(safari.scripting.hangs && safari.scripting.automationDenied);
        QCOMPARE(safari.scripting.error->value(AppleScriptErrorKey::number), QVariant(-1728));
        QCOMPARE(safari.scripting.error->value(AppleScriptErrorKey::message),
                 QVariant("Safari got an error."));
        QCOMPARE(*safari.scripting.replyOverride,
                 AEDescriptor::list(
                     {AEDescriptor::list({AEDescriptor::text("7"), AEDescriptor::integer(3),
                                          AEDescriptor::boolean(true), AEDescriptor::null()})}));

        QCOMPARE(safari.windows.size(), 2);
        const SimWindow& w = safari.windows[0];
        QCOMPARE(w.title, QStringLiteral("Work — Inbox"));
        QCOMPARE(w.frame, QRectF(10.5, 20, 800, 600));
        QVERIFY(w.minimized && !w.main && !w.accessible && w.windowNumberCallFails);
        QVERIFY(w.captureFails && w.legacyImageFails);
        QCOMPARE(w.subrole, QStringLiteral("AXDialog"));
        QCOMPARE(w.windowNumber, quint32(88));
        QCOMPARE(w.layer, 3);
        QCOMPARE(w.scriptID, QStringLiteral("7"));
        QCOMPARE(w.url, QStringLiteral("https://www.example.com/"));
        QCOMPARE(w.tabCount, 4);
        QCOMPARE(w.color, QColor(255, 128, 0));
        const auto& o = w.attributeOverrides;
        QCOMPARE(o.size(), 6);
        QCOMPARE(o[AXAttribute::title].value, AXValue(42.0));
        QCOMPARE(o[AXAttribute::position].error, AXError::CannotComplete);
        QCOMPARE(o[AXAttribute::size].value, AXValue(QSizeF(1, 2)));
        QCOMPARE(o[AXAttribute::minimized].value, AXValue(QStringLiteral("yes")));
        QCOMPARE(o[AXAttribute::main].value, AXValue());
        QCOMPARE(o[AXAttribute::main].error, AXError::Success);
        QCOMPARE(o[AXAttribute::subrole].value, AXValue(QPointF(3, 4)));
        // Defaults of a window given by title alone.
        const SimWindow& second = safari.windows[1];
        QVERIFY(!second.main && second.accessible && !second.windowNumber);
        QCOMPARE(second.subrole, AXSubrole::standardWindow);

        const SimInstance& photoshop = model.instances[1];
        QCOMPARE(photoshop.name, QStringLiteral("Photoshop"));
        QCOMPARE(photoshop.documents, QStringList({"Poster.psd", "Banner.psd"}));
        QCOMPARE(photoshop.activeDocument, QStringLiteral("Banner.psd"));
        // The file lists the entries under the item; the menu comes between.
        QCOMPARE(photoshop.menuBar.first().children.size(), 1);
        const SimMenuItem& menu = photoshop.menuBar.first().children.first();
        QCOMPARE(menu.children.size(), 3);
        QCOMPARE(menu.children[2].title, QStringLiteral("Poster.psd"));
        QVERIFY(menu.children[2].children.isEmpty());
        QCOMPARE(model.instances[2].bundleID, QStringLiteral("org.example.Editor"));

        QCOMPARE(model.extraWindowRecords.size(), 2);
        const QVariantMap dock = model.extraWindowRecords[0].toMap();
        QCOMPARE(dock.value("kCGWindowNumber").typeId(), QMetaType::Int);
        QCOMPARE(dock.value("kCGWindowBounds").toMap().value("Y").typeId(), QMetaType::Double);
        QCOMPARE(model.extraWindowRecords[1].toMap().value("kCGWindowOwnerPID"),
                 QVariant("not a number"));

        QVERIFY(!model.accessibilityTrusted && !model.screenRecordingGranted);
        QVERIFY(!model.windowNumberCallAvailable && model.reduceMotion);
        QCOMPARE(model.screens.size(), 2);
        QCOMPARE(model.screens[0].visibleFrame, QRectF(0, 0, 1440, 875));
        QCOMPARE(model.screens[1].visibleFrame, model.screens[1].frame);
        QCOMPARE(model.pointer, QPointF(100, 200));
        QCOMPARE(model.frontmostPid, pid_t(600));
        QCOMPARE(model.loginItemStatus, LoginItemStatus::requiresApproval);
        QCOMPARE(model.loginItemError, QStringLiteral("Operation not permitted"));
    }

    void rejected_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QStringList>("parts"); // each must appear in the message

        QTest::newRow("syntax") << QByteArray("{\n  \"pointer\": [1, 2],\n  \"screens\" []\n}")
                                << QStringList{"demo.json: line 3, column",
                                               "missing name separator"};
        QTest::newRow("syntax on the first line")
            << QByteArray("{\"pointer\": [1, 2],}") << QStringList{"demo.json: line 1, column"};
        QTest::newRow("wrong type") << QByteArray(R"({"instances": [{"app": "safari", "pid": 1},
                                {"app": "chrome", "pid": 2, "windows": [{"frame": [0, "10", 5, 5]}]}]})")
                                    << QStringList{"demo.json: instances[1].windows[0].frame[1]: "
                                                   "expected a number, found a string"};
        QTest::newRow("frame of three numbers")
            << QByteArray(
                   R"({"instances": [{"app": "safari", "pid": 1, "windows": [{"frame": [0, 1, 2]}]}]})")
            << QStringList{"instances[0].windows[0].frame: expected a list [x, y, width, height], "
                           "found a list"};
        QTest::newRow("unknown key")
            << QByteArray(
                   R"({"instances": [{"app": "safari", "pid": 1, "windows": [{"titel": "x"}]}]})")
            << QStringList{"demo.json: instances[0].windows[0].titel: unknown key", "title"};
        QTest::newRow("unknown top-level key")
            << QByteArray(R"({"screen": []})") << QStringList{"demo.json: screen: unknown key"};
        QTest::newRow("unknown app")
            << QByteArray(R"({"installed": ["safari", "netscape"]})")
            << QStringList{"demo.json: installed[1]: unknown app \"netscape\""};
        QTest::newRow("unknown app by lower-case bundle id")
            << QByteArray(R"({"instances": [{"app": "com.apple.safari", "pid": 3}]})")
            << QStringList{"instances[0].app: unknown app \"com.apple.safari\""};
        QTest::newRow("foreign bundle id without a name")
            << QByteArray(R"({"instances": [{"bundleID": "org.example.Editor", "pid": 3}]})")
            << QStringList{"instances[0].bundleID: unknown app \"org.example.Editor\""};
        QTest::newRow("missing pid") << QByteArray(R"({"instances": [{"app": "safari"}]})")
                                     << QStringList{"instances[0].pid: missing"};
        QTest::newRow("fractional pid")
            << QByteArray(R"({"instances": [{"app": "safari", "pid": 1.5}]})")
            << QStringList{"instances[0].pid: expected a whole number"};
        QTest::newRow("duplicate pid")
            << QByteArray(
                   R"({"instances": [{"app": "safari", "pid": 7}, {"app": "arc", "pid": 7}]})")
            << QStringList{"instances[1].pid: pid 7 is already used by instances[0]"};
        QTest::newRow("duplicate window number")
            << QByteArray(
                   R"({"instances": [{"app": "safari", "pid": 7, "windows": [{"windowNumber": 4}, {"windowNumber": 4}]}]})")
            << QStringList{"instances[0].windows[1].windowNumber: window number 4 is already used"};
        QTest::newRow("frontmost not running")
            << QByteArray(R"({"frontmost": 9})") << QStringList{"frontmost: no instance has pid 9"};
        QTest::newRow("bad colour")
            << QByteArray(
                   R"({"instances": [{"app": "safari", "pid": 1, "windows": [{"color": "red"}]}]})")
            << QStringList{"windows[0].color: expected a colour \"#RRGGBB\""};
        QTest::newRow("unknown error name")
            << QByteArray(
                   R"({"instances": [{"app": "safari", "pid": 1, "windows": [{"attributeOverrides": {"AXTitle": {"error": "timeout"}}}]}]})")
            << QStringList{"AXTitle.error: unknown value \"timeout\"", "cannotComplete"};
        QTest::newRow("two override values")
            << QByteArray(
                   R"({"instances": [{"app": "safari", "pid": 1, "windows": [{"attributeOverrides": {"AXTitle": {"text": "a", "bool": true}}}]}]})")
            << QStringList{"attributeOverrides.AXTitle: expected exactly one of"};
        QTest::newRow("fractional script result")
            << QByteArray(
                   R"({"instances": [{"app": "safari", "pid": 1, "scripting": {"reply": [1.5]}}]})")
            << QStringList{"scripting.reply[0]: expected a whole number"};
        // A delay too long to be turned into a clock time would end at once.
        QTest::newRow("delay beyond a day")
            << QByteArray(
                   R"({"instances": [{"app": "safari", "pid": 1, "scripting": {"delaySeconds": 1e12}}]})")
            << QStringList{
                   "instances[0].scripting.delaySeconds: 1e+12 is out of range (0 to 86400)"};
        QTest::newRow("negative delay")
            << QByteArray(
                   R"({"instances": [{"app": "safari", "pid": 1, "accessibility": {"delaySeconds": -1}}]})")
            << QStringList{"instances[0].accessibility.delaySeconds: -1 is out of range"};
        // Window-server records take whole numbers as 64-bit integers at most.
        QTest::newRow("record number beyond 64 bits")
            << QByteArray(R"({"windowRecords":[{"n":1e19}]})")
            << QStringList{"demo.json: windowRecords[0].n: 1e+19 is out of range"};
        QTest::newRow("record number of 2^63")
            << QByteArray(R"({"windowRecords":[{"n":9223372036854775808}]})")
            << QStringList{"demo.json: windowRecords[0].n: ", " is out of range"};
        QTest::newRow("nested record number below 64 bits")
            << QByteArray(R"({"windowRecords":[{"kCGWindowLayer": 0, "list": [1, {"n": -1e19}]}]})")
            << QStringList{"demo.json: windowRecords[0].list[1].n: -1e+19 is out of range"};
        QTest::newRow("window number beyond 32 bits")
            << QByteArray(
                   R"({"instances": [{"app": "safari", "pid": 1, "windows": [{"windowNumber": 4294967296}]}]})")
            << QStringList{
                   "windows[0].windowNumber: 4.29497e+09 is out of range (1 to 4294967295)"};
        QTest::newRow("not an object")
            << QByteArray("[1, 2]")
            << QStringList{"demo.json: top level: expected an object, found a list"};
    }
    void rejected()
    {
        QFETCH(QByteArray, json);
        QFETCH(QStringList, parts);
        const SimScenario::Result result = SimScenario::parse(json, "demo.json");
        const auto* error = std::get_if<SimScenarioError>(&result);
        QVERIFY(error);
        for (const QString& part : parts)
            QVERIFY2(error->message.contains(part), qPrintable(error->message));
    }

    void aFileNameHoldingPlaceholdersStaysAsWritten()
    {
        const SimScenario::Result result = SimScenario::parse("{", "odd %2 %4.json");
        const auto* error = std::get_if<SimScenarioError>(&result);
        QVERIFY(error);
        QVERIFY2(error->message.startsWith("odd %2 %4.json: line 1, column "),
                 qPrintable(error->message));
    }

    void recordNumbersKeepTheirWidth()
    {
        const SimScenario::Result result = SimScenario::parse(
            R"({"windowRecords": [{"a": 2147483647, "b": 2147483648, "c": -9223372036854775808,
                                   "d": 1.5, "kCGWindowBounds": {"X": 3}}]})",
            "demo.json");
        if (const auto* error = std::get_if<SimScenarioError>(&result))
            QFAIL(qPrintable(error->message));
        const auto* model = std::get_if<SimModel>(&result);
        const QVariantMap record = model->extraWindowRecords.first().toMap();
        QCOMPARE(record.value("a"), QVariant(2147483647));
        QCOMPARE(record.value("b"), QVariant(qint64(2147483648)));
        QCOMPARE(record.value("c"), QVariant(std::numeric_limits<qint64>::min()));
        QCOMPARE(record.value("d"), QVariant(1.5));
        QCOMPARE(record.value("kCGWindowBounds").toMap().value("X"), QVariant(3.0));
    }

    void unreadableFile()
    {
        const QString path = dataFile("no-such-scenario.json");
        const SimScenario::Result result = SimScenario::load(path);
        const auto* error = std::get_if<SimScenarioError>(&result);
        QVERIFY(error);
        QVERIFY2(error->message.startsWith(path + ": cannot be read"), qPrintable(error->message));
    }

    void emptyScenarioIsAnEmptyDesktop()
    {
        const SimScenario::Result result = SimScenario::parse("{}", "empty.json");
        QVERIFY(std::holds_alternative<SimModel>(result));
        const SimModel& model = std::get<SimModel>(result);
        QVERIFY(model.instances.isEmpty() && model.installedApps.isEmpty());
        QVERIFY(model.accessibilityTrusted);
    }
};

QTEST_GUILESS_MAIN(TestSimScenario)
#include "tst_SimScenario.moc"

// Runs the real program the way a user does and checks what it prints, its
// exit status and what it leaves in the settings folder.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1; // -1 while it still ran after launching
    QString out;
    QString err;
};

// How a launched program ends: as a logout ends it, or killed the moment it
// has launched, as a crash at start would end it.
enum class Ending { signal, kill };

Run launch(const QString& configHome, const QString& scenario = {}, Ending ending = Ending::signal)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (scenario.isEmpty())
        environment.remove(QStringLiteral("TESSEL_SIM_SCENARIO"));
    else
        environment.insert(QStringLiteral("TESSEL_SIM_SCENARIO"), scenario);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TESSEL_NAV_BINARY), {});
    // A program that launched runs until it is quit; one that cannot start
    // ends by itself.
    QByteArray out;
    while (!out.contains("Screen Recording: ") && process.waitForReadyRead(30000))
        out += process.readAllStandardOutput();
    const bool launched = process.state() != QProcess::NotRunning;
    if (launched && ending == Ending::kill) {
        process.kill();
        process.waitForFinished();
    } else if (launched) {
        process.waitForReadyRead(200);
        // Ended as a logout ends it, with what it holds written.
        process.terminate();
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished();
        }
    }
    out += process.readAllStandardOutput();
    const bool exited = !launched && process.exitStatus() == QProcess::NormalExit;
    return {exited ? process.exitCode() : -1, QString::fromUtf8(out),
            QString::fromUtf8(process.readAllStandardError())};
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

class TestLaunch : public QObject {
    Q_OBJECT
private slots:
    void defaultScenarioPrintsTheLaunchLineAndStoresTheBookkeeping()
    {
        QTemporaryDir config;
        const Run run = launch(config.path());
        QCOMPARE(run.exitCode, -1);
        QVERIFY2(run.out.contains(QStringLiteral("Tessel Nav launched. Accessibility: granted\n"
                                                 "Screen Recording: granted\n")),
                 qPrintable(run.out));
        // Loading writes the store's own bookkeeping and nothing else.
        QFile defaults(config.filePath(QStringLiteral("TesselNav/defaults.json")));
        QVERIFY(defaults.open(QIODevice::ReadOnly));
        const QByteArray stored = defaults.readAll();
        QVERIFY(stored.contains("offeredApps"));
        QVERIFY(stored.contains("containerRadiusMigrated"));
        QVERIFY(!stored.contains("enabledBrowsers"));
    }

    // However soon after their start they die, launches add up to safe mode.
    void launchesKilledAtOnceAddUpToSafeMode()
    {
        QTemporaryDir config;
        for (int attempt = 1; attempt <= 2; ++attempt)
            QVERIFY(!launch(config.path(), {}, Ending::kill).out.contains(QStringLiteral("Safe")));
        const Run third = launch(config.path(), {}, Ending::kill);
        QVERIFY2(third.out.contains(QStringLiteral("Safe mode: 3 rapid launch attempts")),
                 qPrintable(third.out));
    }

    void permissionsComeFromTheScenario()
    {
        QTemporaryDir dir;
        const QString scenario =
            writeFile(dir, QStringLiteral("no-capture.json"),
                      R"({"permissions": {"accessibility": false, "screenRecording": false}})");
        const Run run = launch(dir.path(), scenario);
        QVERIFY2(run.out.contains(QStringLiteral("Tessel Nav launched. Accessibility: not granted\n"
                                                 "Screen Recording: not granted\n")),
                 qPrintable(run.out));
    }

    void brokenScenarioStopsTheProgramBeforeItStarts_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("syntax") << QByteArray("{\n  \"installed\": [\"safari\",\n")
                                << QStringLiteral("line 3");
        QTest::newRow("wrong type")
            << QByteArray(R"({"pointer": "middle"})") << QStringLiteral("pointer");
        QTest::newRow("unknown app") << QByteArray(R"({"installed": ["netscape"]})")
                                     << QStringLiteral("unknown app \"netscape\"");
        QTest::newRow("record number beyond 64 bits")
            << QByteArray(R"({"windowRecords":[{"n":1e19}]})")
            << QStringLiteral(": windowRecords[0].n: 1e+19 is out of range");
    }

    void brokenScenarioStopsTheProgramBeforeItStarts()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString scenario = writeFile(dir, QStringLiteral("broken.json"), content);
        const Run run = launch(dir.path(), scenario);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.out.isEmpty(), qPrintable(run.out));
        QVERIFY2(run.err.contains(scenario) && run.err.contains(expected), qPrintable(run.err));
        // Nothing was set up: no settings were written.
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("TesselNav/defaults.json"))));
    }

    void missingScenarioFileIsNamed()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("nowhere.json"));
        const Run run = launch(dir.path(), missing);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(missing), qPrintable(run.err));
    }

    void corruptSettingsAreKeptAsideAndTheProgramStarts()
    {
        QTemporaryDir config;
        QVERIFY(QDir(config.path()).mkpath(QStringLiteral("TesselNav")));
        const QByteArray corrupt("{\"cardWidth\": 300,");
        writeFile(config, QStringLiteral("TesselNav/defaults.json"), corrupt);

        const Run run = launch(config.path());
        QVERIFY2(run.out.contains(QStringLiteral("Tessel Nav launched. ")), qPrintable(run.out));
        QVERIFY2(run.err.contains(QStringLiteral("corrupt")), qPrintable(run.err));

        const QStringList aside = QDir(config.filePath(QStringLiteral("TesselNav")))
                                      .entryList({QStringLiteral("defaults.json.corrupt-*")});
        QCOMPARE(aside.size(), 1);
        QFile kept(config.filePath(QStringLiteral("TesselNav/") + aside.first()));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), corrupt);
    }
};

QTEST_GUILESS_MAIN(TestLaunch)
#include "tst_Launch.moc"

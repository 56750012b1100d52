// Runs the real program the way a user does and checks what it prints, its
// exit status and what it leaves in the settings folder.
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>
#include <vector>

#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How a run of the program ended, and what it printed.
struct Run {
    bool launched = false; // printed its launch line before the test ended it
    QProcess::ExitStatus exitStatus = QProcess::NormalExit;
    int exitCode = -1; // with a crash exit, the signal that ended it
    QString out;
    QString err;

    bool exitedWith(int code) const
    {
        return exitStatus == QProcess::NormalExit && exitCode == code;
    }
};

// How a launched program is ended: as a logout ends it, or killed the moment
// it has launched, as a crash at start would end it.
enum class Ending { signal, kill };

// A settings folder of the test's own, and the default scenario unless
// another is named.
QProcessEnvironment programEnvironment(const QString& configHome, const QString& scenario = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (scenario.isEmpty())
        environment.remove(QStringLiteral("TESSEL_SIM_SCENARIO"));
    else
        environment.insert(QStringLiteral("TESSEL_SIM_SCENARIO"), scenario);
    return environment;
}

// The program started on a settings folder of the test's own, through a
// wrapper command when one is given.
class Program {
public:
    explicit Program(const QString& configHome, const QString& scenario = {},
                     const QStringList& wrapper = {})
    {
        m_process.setProcessEnvironment(programEnvironment(configHome, scenario));
        const QStringList command = wrapper + QStringList{QStringLiteral(TESSEL_NAV_BINARY)};
        m_process.start(command.first(), command.mid(1));
    }

    pid_t pid() const { return pid_t(m_process.processId()); }

    // Whether it launched and runs; one that does not start ends by itself.
    bool launched()
    {
        if (!m_launched) {
            m_out += m_process.readAllStandardOutput();
            while (!m_out.contains("Screen Recording: ") && m_process.waitForReadyRead(30000))
                m_out += m_process.readAllStandardOutput();
            m_launched = m_process.state() != QProcess::NotRunning;
        }
        return *m_launched;
    }

    // Ends a program that launched, and waits for one that did not.
    Run end(Ending ending = Ending::signal)
    {
        if (launched() && ending == Ending::kill) {
            m_process.kill();
        } else if (launched()) {
            m_process.waitForReadyRead(200);
            // Ended as a logout ends it, with what it holds written.
            m_process.terminate();
        }
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
        m_out += m_process.readAllStandardOutput();
        return {*m_launched, m_process.exitStatus(), m_process.exitCode(), QString::fromUtf8(m_out),
                QString::fromUtf8(m_process.readAllStandardError())};
    }

private:
    QProcess m_process;
    QByteArray m_out;
    std::optional<bool> m_launched;
};

Run launch(const QString& configHome, const QString& scenario = {}, Ending ending = Ending::signal,
           const QStringList& wrapper = {})
{
    return Program(configHome, scenario, wrapper).end(ending);
}

QJsonObject storedDefaults(const QTemporaryDir& config)
{
    QFile file(config.filePath(QStringLiteral("TesselNav/defaults.json")));
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                          : QJsonObject();
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
        QVERIFY(run.launched);
        QVERIFY(run.exitedWith(0));
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

    // One copy runs per settings folder. Starts while it runs say so and
    // leave the settings and the launch count alone; once it is gone, even
    // killed, the next start runs.
    void secondStartsLeaveTheRunningCopyAlone()
    {
        QTemporaryDir config;
        std::vector<std::unique_ptr<Program>> starts;
        for (int start = 0; start < 3; ++start) {
            if (start > 0)
                QTest::qWait(500);
            starts.push_back(std::make_unique<Program>(config.path()));
        }
        Program* running = nullptr;
        for (const auto& program : starts) {
            if (program->launched()) {
                QVERIFY2(!running, "two copies run on one settings folder");
                running = program.get();
                continue;
            }
            const Run left = program->end();
            QVERIFY(left.exitedWith(0));
            QCOMPARE(left.out, QStringLiteral("Tessel Nav is already running.\n"));
        }
        QVERIFY(running);
        QCOMPARE(storedDefaults(config).value(QStringLiteral("launchAttempts")), QJsonValue(1));
        running->end(Ending::kill);

        // The refused starts counted nothing: after the one killed copy, the
        // next start is the second launch in a row, not in safe mode.
        const Run next = launch(config.path());
        QVERIFY2(next.launched, qPrintable(next.out));
        QVERIFY(next.exitedWith(0));
        QVERIFY2(!next.out.contains(QStringLiteral("Safe mode")), qPrintable(next.out));
    }

    void aLockFileCountsOnlyWhileAProcessHoldsIt_data()
    {
        QTest::addColumn<bool>("held");
        QTest::newRow("an empty file, as a power cut leaves it") << false;
        QTest::newRow("held by another process") << true;
    }

    // What the lock file holds means nothing; a start waits 5 seconds for a
    // holder, which may be ending, before it gives up.
    void aLockFileCountsOnlyWhileAProcessHoldsIt()
    {
        QFETCH(bool, held);
        QTemporaryDir config;
        QVERIFY(QDir(config.path()).mkpath(QStringLiteral("TesselNav")));
        QFile lock(writeFile(config, QStringLiteral("TesselNav/running.lock"), {}));
        QVERIFY(lock.open(QIODevice::ReadOnly));
        if (held)
            QCOMPARE(::flock(lock.handle(), LOCK_EX | LOCK_NB), 0);

        QElapsedTimer waited;
        waited.start();
        const Run run = launch(config.path());
        QCOMPARE(run.launched, !held);
        QVERIFY(run.exitedWith(0));
        if (held) {
            QCOMPARE(run.out, QStringLiteral("Tessel Nav is already running.\n"));
            QVERIFY2(waited.elapsed() >= 5000, qPrintable(QString::number(waited.elapsed())));
        }
    }

    void aFifoAtTheLocksPlaceStarts_data()
    {
        QTest::addColumn<bool>("throughALink");
        QTest::newRow("a FIFO") << false;
        QTest::newRow("a link to a FIFO") << true;
    }

    // Opening a FIFO waits for a writer, for good: the start goes on without
    // the lock and says so in one line.
    void aFifoAtTheLocksPlaceStarts()
    {
        QFETCH(bool, throughALink);
        QTemporaryDir config;
        QVERIFY(QDir(config.path()).mkpath(QStringLiteral("TesselNav")));
        const QString lock = config.filePath(QStringLiteral("TesselNav/running.lock"));
        const QString fifo = throughALink ? config.filePath(QStringLiteral("lock.fifo")) : lock;
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        if (throughALink)
            QVERIFY(QFile::link(fifo, lock));

        const Run run = launch(config.path());
        QVERIFY2(run.launched, qPrintable(run.out));
        QVERIFY(run.exitedWith(0));
        const QString line = QStringLiteral("Tessel Nav: the lock file ") + lock +
                             QStringLiteral(" is not a regular file; running without the one-copy "
                                            "lock, so another copy may start on the same "
                                            "settings.\n");
        QVERIFY2(run.err.contains(line), qPrintable(run.err));
    }

    // A restart, as a script or a quick logout and login does it: SIGTERM to
    // the running copy, a new start at once. The old copy is held still for
    // a moment, as one busy with slow apps ends late; the new one waits for
    // it and runs.
    void aStartRightAfterSigtermRuns()
    {
        QTemporaryDir config;
        Program old(config.path());
        QVERIFY(old.launched());
        QVERIFY(::kill(old.pid(), SIGSTOP) == 0 && ::kill(old.pid(), SIGTERM) == 0);
        Program next(config.path());
        QTest::qWait(500);
        QVERIFY(::kill(old.pid(), SIGCONT) == 0);
        const Run ended = old.end();
        QVERIFY2(ended.exitedWith(0), qPrintable(ended.err));
        const Run restarted = next.end();
        QVERIFY2(restarted.launched, qPrintable(restarted.out));
        QVERIFY(restarted.exitedWith(0));
    }

    // A copy killed inside a fresh PID namespace, as in a sandbox or a
    // container, where the next copy gets the same process number.
    void aCopyKilledInAPidNamespaceHoldsNothing()
    {
        const QStringList unshare{QStringLiteral("unshare"), QStringLiteral("-pf"),
                                  QStringLiteral("--mount-proc"), QStringLiteral("--kill-child")};
        if (QProcess::execute(unshare.first(), unshare.mid(1) << QStringLiteral("true")) != 0)
            QSKIP("no PID namespace can be made here");
        QTemporaryDir config;
        QVERIFY(launch(config.path(), {}, Ending::kill, unshare).launched);
        const Run next = launch(config.path(), {}, Ending::kill, unshare);
        QVERIFY2(next.launched, qPrintable(next.out));
    }

    // Standard output into a pipe whose reader has gone (`| head -n 3`): the
    // program goes on without its lines and ends in order when asked.
    void aReaderThatGoesAwayDoesNotEndTheProgram()
    {
        QTemporaryDir config;
        QProcess program;
        program.setProcessEnvironment(programEnvironment(config.path()));
        program.setChildProcessModifier([] {
            int ends[2];
            if (::pipe(ends) == 0) {
                ::dup2(ends[1], STDOUT_FILENO);
                ::close(ends[0]);
                ::close(ends[1]);
            }
        });
        program.start(QStringLiteral(TESSEL_NAV_BINARY), {});
        // It has launched once it has counted the launch; one that died stops the wait.
        const QDeadlineTimer deadline(30000);
        while (storedDefaults(config).value(QStringLiteral("launchAttempts")) != QJsonValue(1) &&
               !deadline.hasExpired() && !program.waitForFinished(50)) {
        }
        QCOMPARE(program.state(), QProcess::Running);
        program.terminate();
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(storedDefaults(config).value(QStringLiteral("launchAttempts")), QJsonValue(0));
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
        QVERIFY(!run.launched && run.exitedWith(2));
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
        QVERIFY(!run.launched && run.exitedWith(2));
        QVERIFY2(run.err.contains(missing), qPrintable(run.err));
    }

    void corruptSettingsAreKeptAsideAndTheProgramStarts()
    {
        QTemporaryDir config;
        QVERIFY(QDir(config.path()).mkpath(QStringLiteral("TesselNav")));
        const QByteArray corrupt("{\"cardWidth\": 300,");
        writeFile(config, QStringLiteral("TesselNav/defaults.json"), corrupt);

        const Run run = launch(config.path());
        QVERIFY2(run.launched, qPrintable(run.out));
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

#include "Models/AppVersion.h"
#include "Platform/Sim/SimAlerts.h"
#include "Platform/Sim/SimClock.h"
#include "Platform/Sim/SimUserDefaults.h"
#include "Services/CrashReporter.h"
#include "support/LocalHttpServer.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

const QDateTime base(QDate(2026, 1, 5), QTime(9, 0), Qt::UTC);
const QString logText =
    QString::fromUtf8("Process: TesselNav [812]\nCrashed Thread: 0 \xF0\x9F\x8C\xB3\n");
const QString thanks = QString::fromUtf8("Thank you \xF0\x9F\x8C\xB3");
const QString couldNotSend = QStringLiteral("Couldn't send");
const QString singlePrompt = QStringLiteral(
    "Sending the report helps us fix it fast. Only the technical crash log is included \u2014 no "
    "browsing or personal data.");

double seconds(const QDateTime& time)
{
    return double(time.toMSecsSinceEpoch()) / 1000.0;
}

// Sets the modification time of a file or folder (a link's target).
bool setModified(const QString& path, const QDateTime& time)
{
    const qint64 msecs = time.toMSecsSinceEpoch();
    const timespec stamp{msecs / 1000, (msecs % 1000) * 1000000};
    const timespec times[2] = {stamp, stamp};
    return utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

// A crash-log folder, the stored defaults and a local server: each
// launch() is a new reporter over the same folder and defaults, as after a
// restart of the program.
struct Launches {
    Launches()
    {
        server.listen();
        config.logFolder = dir.path();
        config.endpoint = server.url(QStringLiteral("/api/crash"));
        config.system = QStringLiteral("TestOS Version 3 (Build 7)");
        config.version = QStringLiteral("9.8.7");
        config.promptDelay = 1ms;
        config.uploadTimeout = 2s;
    }

    QString writeLog(const QString& name, const QDateTime& modified, const QByteArray& content)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return {};
        file.close();
        return setModified(path, modified) ? path : QString();
    }
    QString writeLog(const QString& name, const QDateTime& modified)
    {
        return writeLog(name, modified, logText.toUtf8());
    }

    void launch()
    {
        reporter = std::make_unique<CrashReporter>(defaults, alerts, network, clock, config);
        reporter->checkForCrashes();
    }
    std::optional<double> stored() const { return defaults.number(CrashReporter::lastHandledKey); }
    void store(const QDateTime& time)
    {
        defaults.set(CrashReporter::lastHandledKey, seconds(time));
    }

    // Lets a prompt that is due come up, then returns what was shown.
    const QList<Alert>& settle()
    {
        QTest::qWait(30);
        return alerts.shown();
    }

    QTemporaryDir dir;
    SimClock clock{base};
    SimUserDefaults defaults;
    SimAlerts alerts;
    QNetworkAccessManager network;
    LocalHttpServer server;
    CrashReporter::Config config;
    std::unique_ptr<CrashReporter> reporter;
};

QJsonObject body(const LocalHttpServer& server)
{
    return QJsonDocument::fromJson(server.requests().value(0).body).object();
}

} // namespace

class TestCrashReporter : public QObject {
    Q_OBJECT
private slots:
    void promptAndUpload_data()
    {
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("note");
        QTest::newRow("fields left blank") << ""
                                           << "";
        QTest::newRow("fields typed") << "ana@example.org"
                                      << "opening the switcher\nwhile busy";
    }
    void promptAndUpload()
    {
        QFETCH(QString, email);
        QFETCH(QString, note);
        Launches l;
        l.store(base);
        l.writeLog("TesselNav-2026-01-05-100000.ips", base.addSecs(3600));
        l.alerts.answerNext({0, {email, note}});
        l.launch();
        QCOMPARE(*l.stored(), seconds(base.addSecs(3600)));
        QVERIFY(l.alerts.shown().isEmpty()); // the prompt waits for its delay

        QTRY_COMPARE(l.alerts.shown().size(), 2);
        const Alert prompt = l.alerts.shown().first();
        QCOMPARE(prompt.style, Alert::Style::warning);
        QCOMPARE(prompt.messageText, "Tessel Nav quit unexpectedly");
        QCOMPARE(prompt.informativeText, singlePrompt);
        QCOMPARE(prompt.buttons, QStringList({"Send Report", "Don't Send"}));
        QVERIFY(!prompt.activatesApplication);
        QCOMPARE(prompt.fields.size(), 2);
        QCOMPARE(prompt.fields[0].placeholder, "Your email (optional, so we can follow up)");
        QVERIFY(!prompt.fields[0].multiline);
        QCOMPARE(prompt.fields[1].caption, "What were you doing? (optional)");
        QCOMPARE(prompt.fields[1].placeholder,
                 "e.g. opening the switcher while Photoshop was busy");
        QVERIFY(prompt.fields[1].multiline);

        QCOMPARE(l.server.requests().size(), 1);
        const LocalHttpServer::Request request = l.server.requests().first();
        QCOMPARE(request.method, "POST");
        QCOMPARE(request.path, "/api/crash");
        QCOMPARE(request.headers.value("content-type"), "application/json");
        const QJsonObject json = body(l.server);
        QCOMPARE(json.keys(), QStringList({"email", "note", "report", "system", "version"}));
        QCOMPARE(json.value("report").toString(), logText);
        QCOMPARE(json.value("email").toString(QStringLiteral("(not a string)")), email);
        QCOMPARE(json.value("note").toString(QStringLiteral("(not a string)")), note);
        QCOMPARE(json.value("system").toString(), "TestOS Version 3 (Build 7)");
        QCOMPARE(json.value("version").toString(), "9.8.7");
    }

    // Only a 200 is a delivery. Whatever a listening server does, the report
    // reaches it once: a request is never sent again.
    void outcome_data()
    {
        using B = LocalHttpServer::Behaviour;
        QTest::addColumn<int>("behaviour");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("closedPort");
        QTest::addColumn<QString>("title");
        QTest::newRow("200") << int(B::respond) << 200 << false << thanks;
        QTest::newRow("201") << int(B::respond) << 201 << false << couldNotSend;
        QTest::newRow("204") << int(B::respond) << 204 << false << couldNotSend;
        QTest::newRow("500") << int(B::respond) << 500 << false << couldNotSend;
        QTest::newRow("closed port") << int(B::respond) << 200 << true << couldNotSend;
        QTest::newRow("never answers") << int(B::neverAnswer) << 0 << false << couldNotSend;
        QTest::newRow("connection dropped after the request")
            << int(B::dropConnection) << 0 << false << couldNotSend;
        QTest::newRow("malformed status line")
            << int(B::malformedStatus) << 0 << false << couldNotSend;
        QTest::newRow("redirect to a 200 page")
            << int(B::redirectToOk) << 0 << false << couldNotSend;
        QTest::newRow("200 with a 1 GB body") << int(B::hugeBody) << 200 << false << thanks;
    }
    void outcome()
    {
        QFETCH(int, behaviour);
        QFETCH(int, status);
        QFETCH(bool, closedPort);
        QFETCH(QString, title);
        Launches l;
        l.server.setBehaviour(LocalHttpServer::Behaviour(behaviour));
        l.server.setStatus(status);
        l.config.uploadTimeout = 300ms;
        if (closedPort)
            l.config.endpoint = LocalHttpServer::closedPortUrl(QStringLiteral("/api/crash"));
        l.store(base);
        l.writeLog("TesselNav.ips", base.addSecs(1));
        l.launch();

        QTRY_COMPARE_WITH_TIMEOUT(l.alerts.shown().size(), 2, 5000);
        const Alert result = l.alerts.shown().last();
        QCOMPARE(result.messageText, title);
        QCOMPARE(result.informativeText,
                 title == thanks
                     ? "Your crash report is on its way. It genuinely helps make Tessel sturdier."
                     : "We couldn't send the report right now. You can email "
                       "support@tesselnav.app if it keeps happening.");
        QCOMPARE(result.style, Alert::Style::informational);
        QCOMPARE(result.buttons, QStringList{"OK"});
        QVERIFY(!result.activatesApplication);
        // The body is not waited for: the transfer stops at the status.
        QVERIFY2(l.server.bodyBytesSent() < (64 << 20),
                 qPrintable(QString::number(l.server.bodyBytesSent())));
        QTest::qWait(20);
        QCOMPARE(l.alerts.shown().size(), 2); // one result, once
        QCOMPARE(l.server.requests().size(), closedPort ? 0 : 1);
    }

    void firstLookOnlyTakesNote()
    {
        Launches l;
        l.writeLog("TesselNav-a.ips", base.addSecs(-7200));
        l.writeLog("TesselNav-b.ips", base);
        l.launch();
        QCOMPARE(*l.stored(), seconds(base));
        QVERIFY(l.settle().isEmpty());

        l.writeLog("TesselNav-c.ips", base.addSecs(60));
        l.launch();
        QTRY_COMPARE(l.alerts.shown().size(), 2);
        QCOMPARE(l.alerts.shown().first().informativeText, singlePrompt);
        QCOMPARE(*l.stored(), seconds(base.addSecs(60)));
    }

    // An install that has not crashed yet: the system makes the folder with
    // the first log.
    void firstCrashIsOffered()
    {
        Launches l;
        l.config.logFolder = l.dir.filePath("DiagnosticReports");
        l.launch();
        QVERIFY(l.settle().isEmpty());

        QVERIFY(QDir().mkdir(l.config.logFolder));
        l.writeLog("DiagnosticReports/TesselNav.ips", base.addSecs(60));
        l.launch();
        QTRY_COMPARE(l.alerts.shown().size(), 2);
        QCOMPARE(l.stored(), std::optional<double>(seconds(base.addSecs(60))));
    }

    void severalNewLogsSendTheNewest()
    {
        Launches l;
        l.store(base);
        l.writeLog("TesselNav-1.ips", base.addSecs(10), "first");
        l.writeLog("TesselNav-3.ips", base.addSecs(30), "newest");
        l.writeLog("TesselNav-2.ips", base.addSecs(20), "second");
        l.writeLog("TesselNav-0.ips", base.addSecs(-10), "already handled");
        l.launch();
        QTRY_COMPARE(l.alerts.shown().size(), 2);
        QCOMPARE(l.alerts.shown().first().informativeText,
                 "Sending the report helps us fix it fast. (3 recent crashes found; we'll send "
                 "the latest.) Only the technical crash log is included \u2014 no browsing or "
                 "personal data.");
        QCOMPARE(l.server.requests().size(), 1);
        QCOMPARE(body(l.server).value("report").toString(), "newest");
        QCOMPARE(*l.stored(), seconds(base.addSecs(30)));

        l.launch(); // all three are handled
        QCOMPARE(l.settle().size(), 2);
    }

    // Which entries of the folder count as new crash logs.
    void whichLogsCount_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("age"); // seconds after the stored time
        QTest::addColumn<bool>("offered");
        QTest::newRow("dated name") << QStringList{"TesselNav-2026-01-05-091500.ips"} << 1 << true;
        QTest::newRow("same time as stored") << QStringList{"TesselNav.ips"} << 0 << false;
        QTest::newRow("older than stored") << QStringList{"TesselNav.ips"} << -1 << false;
        QTest::newRow("other names and extensions")
            << QStringList{"Finder-2026.ips", "tesselnav.ips",     "TesselNav.crash",
                           "TesselNav.IPS",   "TesselNav.ips.bak", "xTesselNav.ips"}
            << 60 << false;
    }
    void whichLogsCount()
    {
        QFETCH(QStringList, names);
        QFETCH(int, age);
        QFETCH(bool, offered);
        Launches l;
        l.store(base);
        for (const QString& name : names)
            QVERIFY(!l.writeLog(name, base.addSecs(age)).isEmpty());
        l.launch();
        if (offered)
            QTRY_COMPARE(l.alerts.shown().size(), 2);
        else
            QVERIFY(l.settle().isEmpty());
        QCOMPARE(*l.stored(), seconds(offered ? base.addSecs(age) : base));
    }

    void unreadableLogIsRecordedAndNotOffered_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("not UTF-8") << "invalid";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("a link to a folder") << "link to folder";
        QTest::newRow("a link to /dev/zero") << "link to device";
    }
    void unreadableLogIsRecordedAndNotOffered()
    {
        QFETCH(QString, kind);
        Launches l;
        l.store(base);
        QVERIFY(!l.writeLog("TesselNav-old.ips", base.addSecs(10)).isEmpty());
        const QString newest = l.dir.filePath("TesselNav-new.ips");
        QDateTime newestTime = base.addSecs(20);
        if (kind == "invalid") {
            l.writeLog("TesselNav-new.ips", newestTime, "Thread 0 \xC3\x28 crashed");
        } else if (kind == "folder") {
            QVERIFY(QDir().mkdir(newest));
            QVERIFY(setModified(newest, newestTime));
        } else if (kind == "link to folder") {
            const QString target = l.dir.filePath("target");
            QVERIFY(QDir().mkdir(target));
            QVERIFY(setModified(target, newestTime));
            QVERIFY(QFile::link(target, newest));
        } else {
            QVERIFY(QFile::link("/dev/zero", newest));
            newestTime = QFileInfo(newest).lastModified();
            l.store(newestTime.addSecs(-20));
            QVERIFY(setModified(l.dir.filePath("TesselNav-old.ips"), newestTime.addSecs(-10)));
        }
        l.launch();
        QVERIFY(l.settle().isEmpty());
        QCOMPARE(*l.stored(), seconds(newestTime));
        QVERIFY(l.server.requests().isEmpty());
    }

    void brokenLinkIsSkipped()
    {
        Launches l;
        l.store(base);
        QVERIFY(QFile::link(l.dir.filePath("gone"), l.dir.filePath("TesselNav-broken.ips")));
        l.writeLog("TesselNav-real.ips", base.addSecs(5));
        l.launch();
        QTRY_COMPARE(l.alerts.shown().size(), 2);
        QCOMPARE(*l.stored(), seconds(base.addSecs(5)));
    }

    void dontSendSendsNothingAndNeverAsksAgain()
    {
        Launches l;
        l.store(base);
        l.writeLog("TesselNav.ips", base.addSecs(5));
        l.alerts.answerNext({1, {"ana@example.org", "note"}});
        l.launch();
        QTRY_COMPARE(l.alerts.shown().size(), 1);
        QTest::qWait(100);
        QVERIFY(l.server.requests().isEmpty());
        QCOMPARE(l.alerts.shown().size(), 1);

        l.launch();
        QCOMPARE(l.settle().size(), 1);
    }

    void folderThatCannotBeListed_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("a file") << "file";
        if (geteuid() != 0) // the super-user reads any folder
            QTest::newRow("no permission") << "no permission";
    }
    void folderThatCannotBeListed()
    {
        QFETCH(QString, kind);
        Launches l;
        const QString folder = l.dir.filePath("DiagnosticReports");
        if (kind == "file") {
            QFile file(folder);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (kind == "no permission") {
            QVERIFY(QDir().mkdir(folder));
            QFile link(folder + "/TesselNav.ips");
            QVERIFY(link.open(QIODevice::WriteOnly));
            QVERIFY(QFile::setPermissions(folder, {}));
        }
        l.config.logFolder = folder;
        l.store(base);
        l.launch();
        QVERIFY(l.settle().isEmpty());
        QCOMPARE(*l.stored(), seconds(base));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // A crowded folder and an enormous log: only what the report needs is
    // read, and the newest log is still the one sent.
    void largeFolderAndLog()
    {
        Launches l;
        l.store(base);
        for (int i = 0; i < 1000; ++i) {
            QFile file(l.dir.filePath(QStringLiteral("Other-%1.ips").arg(i)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        for (int i = 0; i < 100; ++i)
            l.writeLog(QStringLiteral("TesselNav-old-%1.ips").arg(i), base.addSecs(-i));
        const QString big =
            l.writeLog("TesselNav-big.ips", base.addSecs(30), QByteArray(200001, 'x'));
        QFile file(big);
        QVERIFY(file.resize(qint64(200) << 20)); // the rest is a sparse run of zeros
        QVERIFY(setModified(big, base.addSecs(30)));

        l.launch();
        QTRY_COMPARE(l.alerts.shown().size(), 2);
        QCOMPARE(l.alerts.shown().first().informativeText, singlePrompt);
        QCOMPARE(body(l.server).value("report").toString(), QString(200000, 'x'));
        QCOMPARE(*l.stored(), seconds(base.addSecs(30)));
    }

    void productConfiguration_data()
    {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("endpoint");
        const QString product = QStringLiteral("https://tesselnav.app/api/crash");
        QTest::newRow("unset") << "" << product;
        QTest::newRow("local server") << "http://127.0.0.1:8080/api/crash"
                                      << "http://127.0.0.1:8080/api/crash";
        QTest::newRow("another https host") << "https://crash.example.org/collect"
                                            << "https://crash.example.org/collect";
        QTest::newRow("not http") << "ftp://127.0.0.1/api/crash" << product;
        QTest::newRow("no host") << "http:///api/crash" << product;
        QTest::newRow("not a URL") << "local server please" << product;
    }
    void productConfiguration()
    {
        QFETCH(QString, variable);
        QFETCH(QString, endpoint);
        qputenv("TESSEL_CRASH_ENDPOINT", variable.toUtf8());
        const CrashReporter::Config config = CrashReporter::productConfig();
        qunsetenv("TESSEL_CRASH_ENDPOINT");
        QCOMPARE(config.endpoint, QUrl(endpoint));
        QCOMPARE(config.logFolder, QDir::homePath() + "/Library/Logs/DiagnosticReports");
        QCOMPARE(config.version, appVersion());
    }
};

QTEST_GUILESS_MAIN(TestCrashReporter)
#include "tst_CrashReporter.moc"

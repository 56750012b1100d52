#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>

class Alerts;
class Clock;
class QNetworkAccessManager;
class UserDefaults;

// Offers to send the newest crash log that the system wrote for the program
// since the last launch. One instance is created by the application, which
// calls checkForCrashes() once, early at launch, on the main thread.
//
// The only stored state is the modification time of the newest log already
// handled, written before the user is asked, so a log is offered at most once
// whatever happens to it. Nothing is retried. The logs found at the very first
// look are only recorded; a first look that finds none records its own time,
// so that the first crash after it is offered.
class CrashReporter final : public QObject {
    Q_OBJECT
public:
    static inline const QString lastHandledKey = QStringLiteral("lastHandledCrashTime");
    static inline const QString endpointVariable = QStringLiteral("TESSEL_CRASH_ENDPOINT");
    static inline const QString productEndpoint = QStringLiteral("https://tesselnav.app/api/crash");
    static inline const QString supportAddress = QStringLiteral("support@tesselnav.app");
    // User-perceived characters of a log that a report carries at most.
    static constexpr qsizetype maxReportCharacters = 200000;

    struct Config {
        QString logFolder; // where the system writes the program's crash logs
        QUrl endpoint;
        QString system;  // the operating system's name and version
        QString version; // the program's
        std::chrono::milliseconds promptDelay{1500};
        std::chrono::milliseconds uploadTimeout{20000};
    };
    // The running program's: "Library/Logs/DiagnosticReports" under the home
    // folder, the product's endpoint unless the environment names another,
    // this system, this build.
    static Config productConfig();

    // The endpoint the environment variable's value names when it is an
    // http or https URL with a host, else the product's.
    static QUrl endpoint(const QString& environmentValue);
    // "<name> Version <version> (Build <build>)", the shape of the host's own
    // version string, with the parts that are unknown left out.
    static QString systemDescription(const QString& name, const QString& version,
                                     const QString& build);

    // The defaults, alerts, network and clock must outlive the reporter.
    CrashReporter(UserDefaults& defaults, Alerts& alerts, QNetworkAccessManager& network,
                  const Clock& clock, Config config, QObject* parent = nullptr);

    // Never fails visibly: a folder that cannot be listed or a log that
    // cannot be read means no prompt.
    void checkForCrashes();

private:
    void presentDialog(const QString& report, qsizetype extraCount);
    void send(const QString& report, const QString& email, const QString& note);
    void showResult(bool delivered);

    UserDefaults& m_defaults;
    Alerts& m_alerts;
    QNetworkAccessManager& m_network;
    const Clock& m_clock;
    Config m_config;
};

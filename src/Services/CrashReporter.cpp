#include "Services/CrashReporter.h"

#include "Models/AppVersion.h"
#include "Platform/Alerts.h"
#include "Platform/UserDefaults.h"
#include "Services/CrashLogText.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSysInfo>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

// The system names crash logs after the executable, with this extension.
const QString logPrefix = QStringLiteral("TesselNav");
const QString logSuffix = QStringLiteral(".ips");

struct CrashLog {
    QString path;
    qint64 modifiedMSecs;
};

double seconds(qint64 msecs)
{
    return double(msecs) / 1000.0;
}

// The logs modified after `last` (seconds since 1970), newest first; logs of
// one time keep the listing's order. No value when the folder cannot be
// listed.
std::optional<QList<CrashLog>> newLogs(const QString& folder, double last)
{
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir() || !folderInfo.isReadable())
        return std::nullopt;
    QList<CrashLog> logs;
    QDirIterator entries(folder,
                         QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        entries.next();
        const QString name = entries.fileName();
        if (!name.startsWith(logPrefix) || !name.endsWith(logSuffix))
            continue;
        const QDateTime modified = entries.fileInfo().lastModified();
        if (!modified.isValid())
            continue;
        const qint64 msecs = modified.toMSecsSinceEpoch();
        if (seconds(msecs) > last)
            logs << CrashLog{entries.filePath(), msecs};
    }
    std::stable_sort(logs.begin(), logs.end(), [](const CrashLog& a, const CrashLog& b) {
        return a.modifiedMSecs > b.modifiedMSecs;
    });
    return logs;
}

// Only a regular file is read: a device or a pipe named like a log could
// block or never end.
std::optional<QString> readReport(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return CrashLogText::read(file, CrashReporter::maxReportCharacters);
}

const QString privacyLine =
    QStringLiteral("Only the technical crash log is included \u2014 no browsing or personal data.");

QString promptText(qsizetype extraCount)
{
    const QString lead = QStringLiteral("Sending the report helps us fix it fast. ");
    if (extraCount < 1)
        return lead + privacyLine;
    return lead +
           QStringLiteral("(%1 recent crashes found; we'll send the latest.) ")
               .arg(extraCount + 1) +
           privacyLine;
}

} // namespace

CrashReporter::Config CrashReporter::productConfig()
{
    QString name = QSysInfo::prettyProductName();
    QString version = QSysInfo::productVersion();
    if (version == QLatin1String("unknown"))
        version.clear();
    // The pretty name repeats the version ("Debian GNU/Linux 12 (bookworm)").
    if (const qsizetype at = version.isEmpty() ? -1 : name.indexOf(QLatin1Char(' ') + version);
        at > 0)
        name.truncate(at);

    Config config;
    config.logFolder = QDir::home().filePath(QStringLiteral("Library/Logs/DiagnosticReports"));
    config.endpoint = endpoint(qEnvironmentVariable(qPrintable(endpointVariable)));
    config.system = systemDescription(name, version, QSysInfo::kernelVersion());
    config.version = appVersion();
    return config;
}

QUrl CrashReporter::endpoint(const QString& environmentValue)
{
    const QUrl url(environmentValue, QUrl::StrictMode);
    const bool usable =
        url.isValid() && !url.host().isEmpty() &&
        (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"));
    return usable ? url : QUrl(productEndpoint);
}

QString CrashReporter::systemDescription(const QString& name, const QString& version,
                                         const QString& build)
{
    QString text = name;
    if (!version.isEmpty())
        text += QStringLiteral(" Version ") + version;
    if (!build.isEmpty())
        text += QStringLiteral(" (Build ") + build + QLatin1Char(')');
    return text;
}

CrashReporter::CrashReporter(UserDefaults& defaults, Alerts& alerts, QNetworkAccessManager& network,
                             Config config, QObject* parent)
    : QObject(parent), m_defaults(defaults), m_alerts(alerts), m_network(network),
      m_config(std::move(config))
{
}

void CrashReporter::checkForCrashes()
{
    const double last = m_defaults.number(lastHandledKey).value_or(0);
    const std::optional<QList<CrashLog>> logs = newLogs(m_config.logFolder, last);
    if (!logs || logs->isEmpty())
        return;

    // Recorded before anything is shown, so that a log is offered at most once.
    m_defaults.set(lastHandledKey, seconds(logs->first().modifiedMSecs));
    if (last == 0)
        return; // the first look only takes note of the logs already there

    const std::optional<QString> report = readReport(logs->first().path);
    if (!report)
        return;
    const qsizetype extraCount = logs->size() - 1;
    QTimer::singleShot(m_config.promptDelay, this,
                       [this, text = *report, extraCount] { presentDialog(text, extraCount); });
}

void CrashReporter::presentDialog(const QString& report, qsizetype extraCount)
{
    Alert alert;
    alert.style = Alert::Style::warning;
    alert.messageText = QStringLiteral("Tessel Nav quit unexpectedly");
    alert.informativeText = promptText(extraCount);
    alert.buttons = {QStringLiteral("Send Report"), QStringLiteral("Don't Send")};
    alert.fields = {
        AlertTextField{QStringLiteral("Your email (optional, so we can follow up)"), {}, false},
        AlertTextField{QStringLiteral("e.g. opening the switcher while Photoshop was busy"),
                       QStringLiteral("What were you doing? (optional)"), true},
    };
    alert.activatesApplication = false;

    const AlertResponse response = m_alerts.runModal(alert);
    if (response.button != 0)
        return;
    send(report, response.fieldValues.value(0), response.fieldValues.value(1));
}

void CrashReporter::send(const QString& report, const QString& email, const QString& note)
{
    const QJsonObject body{
        {QStringLiteral("report"), report},
        {QStringLiteral("email"), email},
        {QStringLiteral("note"), note},
        {QStringLiteral("system"), m_config.system},
        {QStringLiteral("version"), m_config.version},
    };
    QNetworkRequest request(m_config.endpoint);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setTransferTimeout(int(m_config.uploadTimeout.count()));
    // A redirect is not a delivery: following one could turn the POST into a
    // GET of some page that answers 200 without the report.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* reply =
        m_network.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
    // The body is ignored: the status decides as soon as it arrives, and the
    // transfer is cut there so that a server sending a huge body costs
    // nothing. Until then at most a small buffer is held.
    reply->setReadBufferSize(16 * 1024);
    auto status = std::make_shared<std::optional<int>>();
    const auto noteStatus = [reply, status] {
        const QVariant code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!*status && code.isValid())
            *status = code.toInt();
    };
    connect(reply, &QNetworkReply::metaDataChanged, this, [reply, noteStatus, status] {
        noteStatus();
        if (*status)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, noteStatus, status] {
        noteStatus();
        reply->deleteLater();
        const bool delivered = *status == 200;
        // Shown from the event loop, not from inside the reply's signal.
        QTimer::singleShot(0, this, [this, delivered] { showResult(delivered); });
    });
}

void CrashReporter::showResult(bool delivered)
{
    Alert alert;
    alert.buttons = {QStringLiteral("OK")};
    alert.activatesApplication = false;
    if (delivered) {
        alert.messageText = QStringLiteral("Thank you \U0001F333");
        alert.informativeText = QStringLiteral(
            "Your crash report is on its way. It genuinely helps make Tessel sturdier.");
    } else {
        alert.messageText = QStringLiteral("Couldn't send");
        alert.informativeText =
            QStringLiteral("We couldn't send the report right now. You can email %1 if it keeps "
                           "happening.")
                .arg(supportAddress);
    }
    m_alerts.runModal(alert);
}

#include "Services/CrashReporter.h"

#include "Models/AppVersion.h"
#include "Platform/Alerts.h"
#include "Platform/Clock.h"
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
#include <cstring>
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

QString promptText(qsizetype extraCount)
{
    if (extraCount < 1) {
        return CrashReporter::tr("Sending the report helps us fix it fast. Only the technical "
                                 "crash log is included \u2014 no browsing or personal data.");
    }
    return CrashReporter::tr("Sending the report helps us fix it fast. (%1 recent crashes found; "
                             "we'll send the latest.) Only the technical crash log is included "
                             "\u2014 no browsing or personal data.")
        .arg(extraCount + 1);
}

// Bytes that can be read once, in order, and never rewound.
class SingleReadDevice final : public QIODevice {
public:
    explicit SingleReadDevice(QByteArray data) : m_data(std::move(data))
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return true; }
    bool reset() override { return false; }
    qint64 bytesAvailable() const override
    {
        return m_data.size() - m_read + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (m_read == m_data.size())
            return -1;
        const qint64 size = std::min(maxSize, m_data.size() - m_read);
        std::memcpy(data, m_data.constData() + m_read, size_t(size));
        m_read += size;
        return size;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_read = 0;
};

// Posts `body` so that it reaches the server at most once.
//
// Qt's HTTP/1 layer rewinds the upload device before it writes a request
// again: on a new connection when the connection closes or times out before
// the reply's status line is complete (up to three more times), and on a 307
// or 308. When the device cannot rewind, the reply ends with
// ContentReSendError and nothing more is sent. A server that read the body
// may have kept it, so it is posted from a device that cannot rewind.
// (HTTP/2 never repeats a request whose connection was lost.) The manager
// copies a sequential device into a buffer that can rewind unless the request
// carries its Content-Length and QNetworkRequest::DoNotBufferUploadDataAttribute.
QNetworkReply* postOnce(QNetworkAccessManager& network, QNetworkRequest request,
                        const QByteArray& body)
{
    request.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
    request.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    auto* upload = new SingleReadDevice(body);
    QNetworkReply* reply = network.post(request, upload);
    upload->setParent(reply);
    return reply;
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
                             const Clock& clock, Config config, QObject* parent)
    : QObject(parent), m_defaults(defaults), m_alerts(alerts), m_network(network), m_clock(clock),
      m_config(std::move(config))
{
}

void CrashReporter::checkForCrashes()
{
    const double last = m_defaults.number(lastHandledKey).value_or(0);
    const std::optional<QList<CrashLog>> logs = newLogs(m_config.logFolder, last);
    if (!logs || logs->isEmpty()) {
        // Without a time to compare with, the first crash would only be
        // recorded, like the logs already there at the first look.
        if (last == 0)
            m_defaults.set(lastHandledKey, seconds(m_clock.now().toMSecsSinceEpoch()));
        return;
    }

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
    alert.messageText = tr("Tessel Nav quit unexpectedly");
    alert.informativeText = promptText(extraCount);
    alert.buttons = {tr("Send Report"), tr("Don't Send")};
    alert.fields = {
        AlertTextField{tr("Your email (optional, so we can follow up)"), {}, false},
        AlertTextField{tr("e.g. opening the switcher while Photoshop was busy"),
                       tr("What were you doing? (optional)"), true},
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
        postOnce(m_network, request, QJsonDocument(body).toJson(QJsonDocument::Compact));
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
    alert.buttons = {tr("OK")};
    alert.activatesApplication = false;
    if (delivered) {
        alert.messageText = tr("Thank you \U0001F333");
        alert.informativeText =
            tr("Your crash report is on its way. It genuinely helps make Tessel sturdier.");
    } else {
        alert.messageText = tr("Couldn't send");
        alert.informativeText =
            tr("We couldn't send the report right now. You can email %1 if it keeps happening.")
                .arg(supportAddress);
    }
    m_alerts.runModal(alert);
}

// The crash-log scan, the crash report and the reading of a log's text.
//
// The input's first byte picks the case:
// - the scan (half of the values): how the stored time is held, up to four
//   entries in a fresh log folder (a name of raw bytes, a file, folder, pipe
//   or link, a modification time, a file's bytes), the answer to the prompt
//   with the fields as typed, and the status the server gives. Requests are
//   answered in the process: nothing goes out on the network;
// - a log's text read with a small character limit, whole or in short reads,
//   and the cut of arbitrary UTF-16 text;
// - a log's text read with the report's own limit of 200,000 characters: long
//   runs of one character around the input's bytes, near the cut or across
//   the reader's first chunk boundary.
//
// Properties beyond not crashing, for the scan:
// - the logs are exactly the entries whose name begins with "TesselNav" and
//   whose extension is "ips", whose date can be read and is later than the
//   stored time; the stored time becomes the newest log's and is left alone
//   when there is none, so it only moves forward. Read with the system's
//   calls, a date cannot be read when the name is not UTF-8 (Qt names files
//   by text; the host's names are always UTF-8), the entry is a dangling link,
//   or the date is exactly 1970-01-01 00:00:00.000 UTC, which Qt cannot tell
//   from a missing one;
// - a prompt comes up exactly when the stored time was not 0 and the newest
//   log (the first listed among equal times) is a regular file of valid
//   UTF-8, and it says how many logs are new;
// - "Don't Send" sends nothing; "Send Report" posts once: JSON in UTF-8, an
//   object of exactly the five string members, the report being the log's
//   whole text (a U+FEFF kept) and the fields exactly as typed; then one
//   result alert, "Thank you" only for status 200;
// - a second launch over the same folder and stored time shows and stores
//   nothing.
// For the reading, with n the limit and the byte bound 32 n:
// - a text read is a prefix of the bytes' decoded text that ends on a
//   character boundary and holds at most n characters: exactly n, or all of
//   the text when it was read whole, or else it stops at the byte bound,
//   leaving out at most the character that crosses it;
// - invalid UTF-8 that the reader must reach (the text before it holds at
//   most n characters, and it lies within the byte bound) gives no text, and
//   no text is given for bytes that are valid up to the byte bound;
// - no byte beyond the byte bound is read;
// - the cut of any text holds exactly min(n, its characters) and is a prefix.

#include "FuzzInput.h"
#include "Platform/Sim/SimAlerts.h"
#include "Platform/Sim/SimClock.h"
#include "Platform/Sim/SimUserDefaults.h"
#include "Services/CrashLogText.h"
#include "Services/CrashReporter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <QTextBoundaryFinder>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

using namespace std::chrono_literals;

namespace {

// ---- UTF-8, decoded here without Qt's decoder, so that the two are compared

struct Utf8Scan {
    QString text;             // the longest start that is valid UTF-8, decoded
    qsizetype validBytes = 0; // its length in bytes
    bool valid = false;       // the whole input is valid
};

// The bytes before `from`, if any, are known to be valid and to read as `start`.
Utf8Scan scanUtf8(QByteArrayView bytes, qsizetype from = 0, const QString& start = {})
{
    Utf8Scan scan;
    scan.text.reserve(bytes.size());
    scan.text += start;
    const qsizetype size = bytes.size();
    qsizetype i = from;
    while (i < size) {
        const auto lead = uchar(bytes[i]);
        int length;
        char32_t code;
        char32_t least;
        if (lead < 0x80) {
            scan.text += QChar(lead);
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, code = lead & 0x1F, least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, code = lead & 0x0F, least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, code = lead & 0x07, least = 0x10000;
        } else {
            break;
        }
        if (i + length > size)
            break;
        bool continued = true;
        for (int k = 1; k < length && continued; ++k) {
            const auto next = uchar(bytes[i + k]);
            continued = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (!continued || code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            break;
        if (QChar::requiresSurrogates(code)) {
            scan.text += QChar(QChar::highSurrogate(code));
            scan.text += QChar(QChar::lowSurrogate(code));
        } else {
            scan.text += QChar(char16_t(code));
        }
        i += length;
    }
    scan.validBytes = i;
    scan.valid = i == size;
    return scan;
}

// ---- User-perceived characters

// Where a text's user-perceived characters end, found in one pass.
class Characters {
public:
    explicit Characters(const QString& text)
    {
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
        for (qsizetype end; (end = finder.toNextBoundary()) != -1;)
            m_ends.push_back(end);
    }
    qsizetype count() const { return qsizetype(m_ends.size()); }
    bool isBoundary(qsizetype position) const
    {
        return position == 0 || std::binary_search(m_ends.begin(), m_ends.end(), position);
    }
    // The characters before a boundary.
    qsizetype countBefore(qsizetype boundary) const
    {
        return std::upper_bound(m_ends.begin(), m_ends.end(), boundary) - m_ends.begin();
    }
    // The end of the character that starts at a boundary (the text's end when none does).
    qsizetype nextEnd(qsizetype boundary) const
    {
        const auto next = std::upper_bound(m_ends.begin(), m_ends.end(), boundary);
        return next == m_ends.end() ? (m_ends.empty() ? 0 : m_ends.back()) : *next;
    }

private:
    std::vector<qsizetype> m_ends;
};

void checkCut(const QString& text, qsizetype limit)
{
    const QString cut = CrashLogText::prefix(text, limit);
    const Characters characters(text);
    FUZZ_CHECK(text.startsWith(cut) && characters.isBoundary(cut.size()),
               QStringLiteral("the cut to %1 is not a prefix ending on a boundary").arg(limit));
    FUZZ_CHECK(characters.countBefore(cut.size()) == std::min(limit, characters.count()),
               QStringLiteral("the cut to %1 holds %2 of %3 characters")
                   .arg(limit)
                   .arg(characters.countBefore(cut.size()))
                   .arg(characters.count()));
}

// ---- Reading a log's text

// A pipe-like device that hands out its bytes in short reads of the given sizes.
class ShortReads final : public QIODevice {
public:
    ShortReads(QByteArray bytes, std::vector<qint64> sizes)
        : m_bytes(std::move(bytes)), m_sizes(std::move(sizes))
    {
        // Unbuffered, so that what is read is what the reader asked for.
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    qint64 consumed() const { return m_consumed; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 size = std::min(
            {maxSize, m_sizes[m_next++ % m_sizes.size()], qint64(m_bytes.size()) - m_consumed});
        std::copy_n(m_bytes.constData() + m_consumed, size, data);
        m_consumed += size;
        return size;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    std::vector<qint64> m_sizes;
    size_t m_next = 0;
    qint64 m_consumed = 0;
};

void checkRead(const QByteArray& bytes, const Utf8Scan& scan, qsizetype limit,
               std::optional<std::vector<qint64>> reads)
{
    std::optional<QString> result;
    qint64 consumed;
    if (reads) {
        ShortReads device(bytes, *reads);
        result = CrashLogText::read(device, limit);
        consumed = device.consumed();
    } else {
        QByteArray copy = bytes;
        QBuffer device(&copy);
        device.open(QIODevice::ReadOnly);
        result = CrashLogText::read(device, limit);
        consumed = device.pos();
    }

    const qint64 bound = limit * CrashLogText::maxBytesPerCharacter;
    const qint64 size = bytes.size();
    FUZZ_CHECK(consumed <= bound,
               QStringLiteral("%1 bytes read for %2 characters").arg(consumed).arg(limit));
    // A pipe cannot tell that it ends exactly at the byte bound.
    const bool readWhole = size < bound || (size == bound && !reads);
    const QString where = QStringLiteral("limit %1, %2 bytes%3: ")
                              .arg(limit)
                              .arg(size)
                              .arg(reads ? QStringLiteral(" in short reads") : QString());

    if (!result) {
        FUZZ_CHECK(!scan.valid && scan.validBytes < bound,
                   where + QStringLiteral("valid within the bound, refused"));
        return;
    }
    const Characters characters(scan.text);
    FUZZ_CHECK(
        !(!scan.valid && characters.count() <= limit &&
          (readWhole || scan.validBytes + 8 <= bound)),
        where +
            QStringLiteral("invalid UTF-8 at byte %1 read without complaint").arg(scan.validBytes));
    const QString& text = *result;
    FUZZ_CHECK(scan.text.startsWith(text),
               where + QStringLiteral("not a prefix of the decoded text"));
    FUZZ_CHECK(characters.isBoundary(text.size()),
               where + QStringLiteral("cut inside a character at %1").arg(text.size()));
    const qsizetype count = characters.countBefore(text.size());
    FUZZ_CHECK(count <= limit, where + QStringLiteral("%1 characters").arg(count));
    if (count == limit)
        return;
    if (readWhole) {
        FUZZ_CHECK(scan.valid && text == scan.text,
                   where + QStringLiteral("read whole, yet %1 of %2 characters")
                               .arg(count)
                               .arg(characters.count()));
        return;
    }
    // Cut at the byte bound: the next character reaches at least to the last
    // bytes held back as the start of an unfinished sequence.
    FUZZ_CHECK(
        QStringView(scan.text).first(characters.nextEnd(text.size())).toUtf8().size() >= bound - 3,
        where +
            QStringLiteral("stopped at %1 bytes, short of the bound").arg(text.toUtf8().size()));
}

void smallRead(FuzzInput& input)
{
    const qsizetype limit = input.range(0, 24);
    std::optional<std::vector<qint64>> reads;
    if (input.flag()) {
        reads.emplace();
        for (int n = input.range(1, 4); n > 0; --n)
            reads->push_back(input.range(1, 16));
    }
    checkCut(input.text(32), limit);
    const QByteArray bytes = input.rest();
    checkRead(bytes, scanUtf8(bytes), limit, reads);
}

// A text around the report's own limit: runs of one character before and
// after the input's bytes, which sit either where the cut falls or across
// the end of the reader's first 64 KiB.
void longRead(FuzzInput& input)
{
    constexpr qsizetype limit = CrashReporter::maxReportCharacters;
    const QByteArray unit = input.pick<const char*>({
        "a",
        "\xC3\xA9",         // é
        "\xE2\x82\xAC",     // €
        "\xF0\x9D\x84\x9E", // a musical symbol, beyond the 16-bit range
        "\r\n",             // one character of two
        "\xF0\x9F\x87\xA9", // a regional indicator: two make one flag
        "\xF0\x9F\x8C\xB3", // an emoji, which joins a following ZWJ sequence
    });
    qsizetype before;
    qsizetype after;
    if (input.flag()) {
        before = limit - input.range(0, 40);
        after = input.range(0, 64);
    } else {
        before = (64 * 1024) / unit.size() - input.range(0, 4);
        after = std::max<qsizetype>(0, limit - before + input.range(-40, 8));
    }
    QByteArray bytes = unit.repeated(before);
    const qsizetype runBytes = bytes.size();
    bytes += input.rest().left(256);
    bytes += unit.repeated(after);
    // Decoding the run byte by byte here would take most of the time.
    const Utf8Scan scan = scanUtf8(bytes, runBytes, QString::fromUtf8(unit).repeated(before));
    checkRead(bytes, scan, limit, std::nullopt);
}

// ---- The scan and the report

const QString thanks = QString::fromUtf8("Thank you \xF0\x9F\x8C\xB3");
const QString couldNotSend = QStringLiteral("Couldn't send");

// A reply made in the process: the status given, or a refused connection
// when it is 0. Like a network reply, abort() finishes it.
class FakeReply final : public QNetworkReply {
public:
    FakeReply(QNetworkAccessManager::Operation operation, const QNetworkRequest& request,
              int status, QObject* parent)
        : QNetworkReply(parent)
    {
        setOperation(operation);
        setRequest(request);
        setUrl(request.url());
        open(QIODevice::ReadOnly);
        QMetaObject::invokeMethod(
            this,
            [this, status] {
                if (status != 0) {
                    setAttribute(QNetworkRequest::HttpStatusCodeAttribute, status);
                    emit metaDataChanged();
                } else {
                    setError(ConnectionRefusedError, QStringLiteral("Connection refused"));
                    emit errorOccurred(ConnectionRefusedError);
                }
                finish();
            },
            Qt::QueuedConnection);
    }
    void abort() override { finish(); }

protected:
    qint64 readData(char*, qint64) override { return -1; }

private:
    void finish()
    {
        if (isFinished())
            return;
        setFinished(true);
        emit finished();
    }
};

class FakeNetwork final : public QNetworkAccessManager {
public:
    struct Request {
        Operation operation;
        QNetworkRequest request;
        QByteArray body;
    };
    explicit FakeNetwork(int status) : m_status(status) {}
    const QList<Request>& requests() const { return m_requests; }

protected:
    QNetworkReply* createRequest(Operation operation, const QNetworkRequest& request,
                                 QIODevice* data) override
    {
        m_requests << Request{operation, request, data ? data->readAll() : QByteArray()};
        return new FakeReply(operation, request, m_status, this);
    }

private:
    int m_status;
    QList<Request> m_requests;
};

// Runs what is due: the prompt, the reply, the result alert, the deletions.
void settle()
{
    for (int i = 0; i < 6; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

const qint64 baseMSecs = QDateTime(QDate(2026, 1, 5), QTime(9, 0), Qt::UTC).toMSecsSinceEpoch();

double seconds(qint64 msecs)
{
    return double(msecs) / 1000.0;
}

qint64 timeFrom(FuzzInput& input)
{
    if (input.range(0, 7) == 0)
        return input.pick<qint64>({0, 1, -1, -1000, -1500}); // around 1970
    return baseMSecs + input.range(-3, 3) * 1000 + input.pick<qint64>({0, 0, 1, 500, 999});
}

bool setModified(const QByteArray& path, qint64 msecs)
{
    const qint64 wholeSeconds = msecs >= 0 ? msecs / 1000 : -((999 - msecs) / 1000);
    const timespec stamp{wholeSeconds, long(msecs - wholeSeconds * 1000) * 1000000};
    const timespec times[2] = {stamp, stamp};
    return utimensat(AT_FDCWD, path.constData(), times, 0) == 0;
}

QByteArray nameFrom(FuzzInput& input)
{
    QByteArray name = input.pick<const char*>(
        {"TesselNav", "TesselNav", "TesselNav", "tesselnav", "TesselNa", "xTesselNav", "", "."});
    for (int n = input.range(0, 6); n > 0; --n)
        name += char(input.byte());
    name += input.pick<const char*>(
        {".ips", ".ips", ".ips", ".IPS", ".crash", ".ips.bak", "ips", "", ".ips "});
    name.replace('/', '_').replace('\0', '_');
    return name.isEmpty() || name == "." || name == ".." ? QByteArray("_") : name;
}

enum class Kind { file, folder, pipe, link, danglingLink };

// Makes one folder entry; false when the name is taken.
bool makeEntry(const QByteArray& folder, const QByteArray& name, Kind kind,
               const QByteArray& linkTarget, qint64 msecs, const QByteArray& content)
{
    const QByteArray path = folder + '/' + name;
    struct stat existing;
    if (lstat(path.constData(), &existing) == 0)
        return false;
    switch (kind) {
    case Kind::file: {
        const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        FUZZ_CHECK(fd >= 0 && write(fd, content.constData(), size_t(content.size())) ==
                                  ssize_t(content.size()),
                   QStringLiteral("cannot write a log"));
        close(fd);
        break;
    }
    case Kind::folder:
        FUZZ_CHECK(mkdir(path.constData(), 0700) == 0, QStringLiteral("cannot make a folder"));
        break;
    case Kind::pipe:
        FUZZ_CHECK(mkfifo(path.constData(), 0600) == 0, QStringLiteral("cannot make a pipe"));
        break;
    case Kind::link:
    case Kind::danglingLink:
        FUZZ_CHECK(symlink(linkTarget.constData(), path.constData()) == 0,
                   QStringLiteral("cannot make a link"));
        return true; // a link shows its target's date
    }
    FUZZ_CHECK(setModified(path, msecs), QStringLiteral("cannot set a date"));
    return true;
}

struct Log {
    QByteArray name;
    qint64 msecs;
    bool regular;
    QByteArray content;
};

// The folder's crash logs later than `last`, newest first, equal times in
// listing order; read here with the system's calls, not Qt's.
QList<Log> newLogs(const QByteArray& folder, double last)
{
    QList<Log> logs;
    DIR* dir = opendir(folder.constData());
    if (!dir)
        return logs;
    while (const dirent* entry = readdir(dir)) {
        const QByteArray name(entry->d_name);
        const QString decoded = QFile::decodeName(name);
        // A name that is not UTF-8 cannot be opened by its decoded text, so
        // its date cannot be read (the host's own names are always UTF-8).
        if (QFile::encodeName(decoded) != name)
            continue;
        const qsizetype dot = decoded.lastIndexOf(QLatin1Char('.'));
        if (!decoded.startsWith(QLatin1String("TesselNav")) || dot < 0 ||
            decoded.mid(dot + 1) != QLatin1String("ips"))
            continue;
        const QByteArray path = folder + '/' + name;
        struct stat info;
        if (stat(path.constData(), &info) != 0)
            continue;
        const qint64 msecs = qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
        // Qt's file information gives no date for one exactly at 1970-01-01
        // 00:00:00.000 UTC: it cannot tell that date from a missing one.
        if (msecs == 0 || !(seconds(msecs) > last))
            continue;
        Log log{name, msecs, S_ISREG(info.st_mode), {}};
        if (log.regular) {
            const int fd = open(path.constData(), O_RDONLY);
            FUZZ_CHECK(fd >= 0, QStringLiteral("cannot read a log back"));
            char buffer[256];
            for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;)
                log.content.append(buffer, got);
            close(fd);
        }
        logs << log;
    }
    closedir(dir);
    std::stable_sort(logs.begin(), logs.end(),
                     [](const Log& a, const Log& b) { return a.msecs > b.msecs; });
    return logs;
}

// Removes a folder and what it holds with the system's calls: Qt cannot name
// an entry whose name is not UTF-8.
void removeTree(const QByteArray& path)
{
    if (DIR* dir = opendir(path.constData())) {
        while (const dirent* entry = readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            const QByteArray inner = path + '/' + name;
            struct stat info;
            if (lstat(inner.constData(), &info) == 0 && S_ISDIR(info.st_mode))
                removeTree(inner);
            else
                unlink(inner.constData());
        }
        closedir(dir);
    }
    rmdir(path.constData());
}

const QString& scratchFolder()
{
    struct Scratch {
        Scratch() { folder.setAutoRemove(false); }
        ~Scratch() { removeTree(QFile::encodeName(path)); }
        QTemporaryDir folder;
        QString path = folder.path();
    };
    static const Scratch scratch;
    return scratch.path;
}

// An empty log folder, or, rarely, a path that cannot be listed.
QString logFolderFrom(FuzzInput& input)
{
    const QDir scratch(scratchFolder());
    const QString folder = scratch.filePath(QStringLiteral("DiagnosticReports"));
    removeTree(QFile::encodeName(folder));
    switch (input.range(0, 15)) {
    case 0:
        return scratch.filePath(QStringLiteral("missing"));
    case 1: {
        const QString plain = scratch.filePath(QStringLiteral("plain-file"));
        QFile(plain).open(QIODevice::WriteOnly);
        return plain;
    }
    default:
        FUZZ_CHECK(scratch.mkdir(QStringLiteral("DiagnosticReports")),
                   QStringLiteral("cannot make the log folder"));
        return folder;
    }
}

// What "lastHandledCrashTime" holds before the launch.
QVariant storedFrom(FuzzInput& input)
{
    switch (input.range(0, 7)) {
    case 0:
        return {};
    case 1:
        return 0.0;
    case 2:
        return input.anyDouble();
    case 3:
        return QStringLiteral("1767603600"); // a number in the wrong kind counts as none
    default:
        return seconds(baseMSecs) + input.range(-3, 3) +
               input.pick<double>({0, 0, 0.0005, 0.001, 0.5, -0.0005});
    }
}

bool sameNumber(const QVariant& a, const QVariant& b)
{
    if (a.typeId() != b.typeId())
        return false;
    if (a.typeId() != QMetaType::Double)
        return a == b;
    const double x = a.toDouble();
    const double y = b.toDouble();
    return x == y || (std::isnan(x) && std::isnan(y));
}

void checkBody(const QByteArray& body, const QString& report, const QString& email,
               const QString& note, const CrashReporter::Config& config)
{
    FUZZ_CHECK(scanUtf8(body).valid, QStringLiteral("the body is not UTF-8"));
    // Qt's parser drops a U+FEFF that begins a string written without escapes
    // (it takes it for a byte-order mark); as an escape, which means the same
    // in JSON, it is kept.
    QByteArray escaped = body;
    escaped.replace("\xEF\xBB\xBF", "\\ufeff");
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(escaped, &error);
    FUZZ_CHECK(error.error == QJsonParseError::NoError && document.isObject(),
               QStringLiteral("the body is not a JSON object: %1").arg(error.errorString()));
    const QJsonObject object = document.object();
    FUZZ_CHECK(object.keys() == QStringList({QStringLiteral("email"), QStringLiteral("note"),
                                             QStringLiteral("report"), QStringLiteral("system"),
                                             QStringLiteral("version")}),
               QStringLiteral("members %1").arg(object.keys().join(QLatin1Char(','))));
    for (auto it = object.begin(); it != object.end(); ++it)
        FUZZ_CHECK(it.value().isString(), QStringLiteral("%1 is not a string").arg(it.key()));
    FUZZ_CHECK(object.value(QLatin1String("report")).toString() == report,
               QStringLiteral("the report is not the log's text"));
    FUZZ_CHECK(object.value(QLatin1String("email")).toString() == email &&
                   object.value(QLatin1String("note")).toString() == note,
               QStringLiteral("the fields are not sent as typed"));
    FUZZ_CHECK(object.value(QLatin1String("system")).toString() == config.system &&
                   object.value(QLatin1String("version")).toString() == config.version,
               QStringLiteral("system or version changed"));
}

void scan(FuzzInput& input)
{
    const QString folder = logFolderFrom(input);
    const QByteArray nativeFolder = QFile::encodeName(folder);
    const QVariant stored = storedFrom(input);

    QList<QByteArray> names;
    for (int n = input.range(0, 4); n > 0; --n) {
        const QByteArray name = nameFrom(input);
        const auto kind = input.pick({Kind::file, Kind::file, Kind::file, Kind::file, Kind::folder,
                                      Kind::pipe, Kind::link, Kind::danglingLink});
        const qint64 msecs = timeFrom(input);
        QByteArray content;
        if (kind == Kind::file) {
            for (int length = input.range(0, 40); length > 0; --length)
                content += char(input.byte());
        }
        QByteArray target = "missing-target";
        if (kind == Kind::link && !names.isEmpty())
            target = names[input.range(0, int(names.size()) - 1)];
        if (QFileInfo(folder).isDir() &&
            makeEntry(nativeFolder, name, kind, target, msecs, content))
            names << name;
    }
    const bool sendReport = input.flag();
    const QString email = input.text(24);
    const QString note = input.text(24);
    const int status = input.pick({200, 200, 201, 204, 500, 0});

    const double last = stored.typeId() == QMetaType::Double ? stored.toDouble() : 0;
    const QList<Log> logs = newLogs(nativeFolder, last);

    SimUserDefaults defaults;
    if (stored.isValid())
        defaults.set(CrashReporter::lastHandledKey, stored);
    SimAlerts alerts;
    alerts.answerNext({sendReport ? 0 : 1, {email, note}});
    FakeNetwork network(status);
    const SimClock clock;
    CrashReporter::Config config;
    config.logFolder = folder;
    config.endpoint = QUrl(QStringLiteral("https://crash.example.org/api/crash"));
    config.system = QStringLiteral("TestOS Version 3 (Build 7)");
    config.version = QStringLiteral("9.8.7");
    config.promptDelay = 0ms;
    config.uploadTimeout = 1s;
    {
        CrashReporter reporter(defaults, alerts, network, clock, config);
        reporter.checkForCrashes();
        settle();
    }

    const QVariant after = defaults.object(CrashReporter::lastHandledKey);
    if (logs.isEmpty() && last == 0) {
        FUZZ_CHECK(sameNumber(after, seconds(clock.now().toMSecsSinceEpoch())),
                   QStringLiteral("a first look without a log did not store its time"));
    } else if (logs.isEmpty()) {
        FUZZ_CHECK(sameNumber(after, stored), QStringLiteral("stored time changed without a log"));
    } else {
        FUZZ_CHECK(after.typeId() == QMetaType::Double &&
                       after.toDouble() == seconds(logs.first().msecs) && after.toDouble() > last,
                   QStringLiteral("stored %1, the newest of %2 new logs is %3")
                       .arg(after.toDouble(), 0, 'f', 3)
                       .arg(logs.size())
                       .arg(seconds(logs.first().msecs), 0, 'f', 3));
    }

    std::optional<QString> report;
    if (!logs.isEmpty() && last != 0 && logs.first().regular) {
        const Utf8Scan text = scanUtf8(logs.first().content);
        if (text.valid)
            report = text.text;
    }
    const QList<Alert> shown = alerts.shown();
    if (!report) {
        FUZZ_CHECK(shown.isEmpty() && network.requests().isEmpty(),
                   QStringLiteral("a prompt with no log to offer"));
    } else {
        FUZZ_CHECK(!shown.isEmpty() &&
                       shown.first().messageText == QLatin1String("Tessel Nav quit unexpectedly"),
                   QStringLiteral("no prompt for %1 new logs").arg(logs.size()));
        const QString count =
            QStringLiteral("(%1 recent crashes found; we'll send the latest.)").arg(logs.size());
        FUZZ_CHECK(logs.size() > 1 ? shown.first().informativeText.contains(count)
                                   : !shown.first().informativeText.contains(QLatin1Char('(')),
                   QStringLiteral("the prompt for %1 logs says: %2")
                       .arg(logs.size())
                       .arg(shown.first().informativeText));
        if (!sendReport) {
            FUZZ_CHECK(shown.size() == 1 && network.requests().isEmpty(),
                       QStringLiteral("\"Don't Send\" sent"));
        } else {
            FUZZ_CHECK(network.requests().size() == 1,
                       QStringLiteral("%1 uploads").arg(network.requests().size()));
            const FakeNetwork::Request& request = network.requests().first();
            FUZZ_CHECK(request.operation == QNetworkAccessManager::PostOperation &&
                           request.request.url() == config.endpoint &&
                           request.request.header(QNetworkRequest::ContentTypeHeader) ==
                               QLatin1String("application/json"),
                       QStringLiteral("not a JSON POST to the endpoint"));
            checkBody(request.body, *report, email, note, config);
            FUZZ_CHECK(shown.size() == 2 &&
                           shown.last().messageText == (status == 200 ? thanks : couldNotSend),
                       QStringLiteral("status %1: %2 alerts, the last \"%3\"")
                           .arg(status)
                           .arg(shown.size())
                           .arg(shown.last().messageText));
        }
    }

    // The next launch: everything found is handled already.
    CrashReporter again(defaults, alerts, network, clock, config);
    again.checkForCrashes();
    settle();
    FUZZ_CHECK(alerts.shown().size() == shown.size() &&
                   sameNumber(defaults.object(CrashReporter::lastHandledKey), after),
               QStringLiteral("the next launch acted again"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ensureFuzzApplication();
    FuzzInput input(data, size);
    // Half the cases scan; the long reads, which take milliseconds, are rare.
    const int kind = input.range(0, 15);
    if (kind < 8)
        scan(input);
    else if (kind < 15)
        smallRead(input);
    else
        longRead(input);
    return 0;
}

#include "SnapshotService.h"

#include "Platform/AtomicFile.h"
#include "Platform/Clock.h"
#include "Platform/ScreenCapture.h"
#include "Platform/WindowServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QStandardPaths>
#include <QTextBoundaryFinder>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>
#include <limits>

#include <unistd.h>

namespace {

constexpr qint64 pruneAgeSeconds = 259200; // three days
constexpr int diagnosticTitleLength = 36;
constexpr int exportNameLength = 60;

// The first count user-perceived characters, as many as fit in maxBytes of
// a file name: an emoji or an accented letter made of several code points
// is never cut in half.
QString leadingCharacters(const QString& text, int count,
                          qsizetype maxBytes = std::numeric_limits<qsizetype>::max())
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (int taken = 0; taken < count; ++taken) {
        const qsizetype next = finder.toNextBoundary();
        if (next == -1 || QFile::encodeName(text.left(next)).size() > maxBytes)
            break;
        end = next;
    }
    return text.left(end);
}

QString windowLabel(const SafariWindow& window)
{
    if (!window.title.isEmpty())
        return window.title;
    if (const auto domain = window.domain(); domain && !domain->isEmpty())
        return *domain;
    return QStringLiteral("Untitled Window");
}

// The integer part of a pixel count, at least 1 and within int's range
// whatever the frame held (negative, infinite or NaN sizes included).
int pixelCount(double value)
{
    if (!(value >= 1))
        return 1;
    return int(std::min(value, double(std::numeric_limits<int>::max())));
}

// The pictures show what is on the user's screen: the folder is made private,
// and one that a link or another user put in its place is refused, since its
// owner could read or redirect every file written into it.
std::optional<SnapshotService::ExportError> preparePrivateFolder(const QString& folder)
{
    using Kind = SnapshotService::ExportError::Kind;
    QDir().mkpath(QFileInfo(folder).absolutePath());
    QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QFileInfo made(folder);
    if (made.isSymLink())
        return SnapshotService::ExportError{Kind::folderNotPrivate, folder, {}};
    if (!made.isDir())
        return SnapshotService::ExportError{Kind::folderNotCreated, folder, {}};
    if (made.ownerId() != ::geteuid())
        return SnapshotService::ExportError{Kind::folderNotPrivate, folder, {}};
    return std::nullopt;
}

} // namespace

QString SnapshotService::ExportError::description() const
{
    const QString where = QDir::toNativeSeparators(path);
    switch (kind) {
    case Kind::folderNotCreated:
        return QCoreApplication::translate("SnapshotService",
                                           "The folder “%1” could not be created.")
            .arg(where);
    case Kind::folderNotPrivate:
        return QCoreApplication::translate(
                   "SnapshotService",
                   "“%1” is a link or belongs to another user, so nothing was written to it.")
            .arg(where);
    case Kind::fileNotWritten:
        break;
    }
    return QCoreApplication::translate("SnapshotService",
                                       "%1 Snapshots written before it, kept in the folder: %2.")
        .arg(FileWriteError{path, cause}.description())
        .arg(written);
}

SnapshotService::SnapshotService(ScreenCapture& screenCapture, WindowServer& windowServer,
                                 const Clock& clock, QString diskCacheDirectory)
    : m_screenCapture(screenCapture), m_windowServer(windowServer),
      m_diskCacheDirectory(std::move(diskCacheDirectory)), m_thumbnails(m_diskCacheDirectory)
{
    // The writer makes the folder again should it go; here it exists from the
    // start, before the first capture.
    QDir().mkpath(m_diskCacheDirectory);
    pruneDiskCache(clock.now());
}

SnapshotService::~SnapshotService()
{
    // Nobody is left to take a run's result, and a run over hundreds of
    // windows would hold up the quit for seconds. Runs queue thumbnails, so
    // they end before the writer goes.
    m_closing = true;
    m_runs.waitForDone();
}

QString SnapshotService::defaultDiskCacheDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/TesselNav/Thumbnails");
}

QSize SnapshotService::captureSize(const QSizeF& frame)
{
    const double w = frame.width();
    const double h = frame.height();
    const double scale = w > 0 ? std::min(maxPixelWidth / (2 * w), 1.0) : 1.0;
    return QSize(pixelCount(scale * 2 * w), pixelCount(scale * 2 * h));
}

QString SnapshotService::exportFileName(int position, const SafariWindow& window,
                                        qsizetype nameLimit)
{
    QString name = windowLabel(window);
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    name.replace(QLatin1Char(':'), QLatin1Char('-'));
    const QString number = QStringLiteral("%1 - ").arg(position);
    const QString extension = QStringLiteral(".png");
    const qsizetype room = nameLimit - QFile::encodeName(number + extension).size();
    return number + leadingCharacters(name, exportNameLength, room) + extension;
}

QFuture<QHash<quint32, QImage>>
SnapshotService::refreshSnapshots(const QList<SafariWindow>& windows)
{
    return QtConcurrent::run(&m_runs, [this, windows] {
        CaptureRun run = captureRun(windows);
        publishDiagnostics(run.diagnostics);
        return run.images;
    });
}

QFuture<SnapshotService::ExportResult>
SnapshotService::writeSnapshots(const QList<SafariWindow>& windows, const QString& folder)
{
    return QtConcurrent::run(&m_runs,
                             [this, windows, folder] { return writeExport(windows, folder); });
}

QStringList SnapshotService::lastDiagnostics() const
{
    QMutexLocker lock(&m_diagnosticsLock);
    return m_lastDiagnostics;
}

void SnapshotService::publishDiagnostics(const QStringList& lines)
{
    // A run builds its lines on its own and publishes them whole, so runs
    // that overlap (warm-up and an early overlay) never interleave their lines.
    QMutexLocker lock(&m_diagnosticsLock);
    m_lastDiagnostics = lines;
}

std::optional<QImage> SnapshotService::cachedImage(std::optional<quint32> windowID)
{
    if (!windowID)
        return std::nullopt;
    {
        QMutexLocker lock(&m_cacheLock);
        const auto it = m_cache.constFind(*windowID);
        if (it != m_cache.cend())
            return it.value();
    }
    const QString path =
        QDir(m_diskCacheDirectory).filePath(QStringLiteral("%1.png").arg(*windowID));
    if (!QFileInfo::exists(path))
        return std::nullopt;
    QImageReader reader(path, "png");
    const QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    QMutexLocker lock(&m_cacheLock);
    // A capture may have landed while the file was read; the fresher one stays.
    const auto it = m_cache.constFind(*windowID);
    if (it != m_cache.cend())
        return it.value();
    m_cache.insert(*windowID, image);
    return image;
}

SnapshotService::CaptureRun SnapshotService::captureRun(const QList<SafariWindow>& windows)
{
    CaptureRun run;
    const bool anyID =
        std::any_of(windows.cbegin(), windows.cend(),
                    [](const SafariWindow& window) { return window.windowID.has_value(); });
    if (!anyID) {
        run.diagnostics << QStringLiteral("No windows had a CGWindowID — nothing to capture.");
        return run;
    }

    const auto content = m_screenCapture.shareableContent(/*excludeDesktopWindows=*/true,
                                                          /*onScreenWindowsOnly=*/false);
    if (std::holds_alternative<CaptureError>(content)) {
        run.diagnostics << QStringLiteral(
            "SCShareableContent failed — Screen Recording permission?");
        return run;
    }
    QHash<quint32, ShareableWindow> shareable;
    for (const ShareableWindow& window : std::get<QList<ShareableWindow>>(content))
        shareable.insert(window.windowID, window);

    for (const SafariWindow& window : windows) {
        if (m_closing)
            break;
        QString line = (window.isMinimized ? QStringLiteral("MIN") : QStringLiteral("vis")) +
                       QStringLiteral(" \"") +
                       leadingCharacters(windowLabel(window), diagnosticTitleLength) +
                       QLatin1Char('"');
        if (!window.windowID) {
            line += QStringLiteral(
                ": no CGWindowID (title match against window list failed) — cannot capture");
            run.diagnostics << line;
            continue;
        }
        const quint32 id = *window.windowID;
        const auto found = shareable.constFind(id);
        const bool inContent = found != shareable.cend();
        line += QStringLiteral(" id=%1 scWindow=%2")
                    .arg(id)
                    .arg(inContent ? QStringLiteral("yes") : QStringLiteral("no"));

        std::optional<QImage> image;
        QString tag;
        if (inContent) {
            image = capture(found.value());
            tag = QStringLiteral("SCK");
        }
        if (!image) {
            const QImage legacy = m_windowServer.createWindowImage(id);
            if (!legacy.isNull()) {
                image = legacy;
                tag = QStringLiteral("legacy");
            }
        }

        if (image) {
            {
                QMutexLocker lock(&m_cacheLock);
                m_cache.insert(id, *image);
            }
            run.images.insert(id, *image);
            m_thumbnails.write(id, *image);
            line += QStringLiteral(" → %1 %2×%3").arg(tag).arg(image->width()).arg(image->height());
        } else if (cachedImage(id)) {
            line += QStringLiteral(" → capture failed, serving cache");
        } else {
            line += QStringLiteral(" → capture FAILED, no cache");
        }
        run.diagnostics << line;
    }
    return run;
}

std::optional<QImage> SnapshotService::capture(const ShareableWindow& window)
{
    const QSize size = captureSize(window.frame.size());
    const CaptureConfiguration configuration{size.width(), size.height(), /*showsCursor=*/false};
    auto result = m_screenCapture.captureWindow(window, configuration);
    if (auto* image = std::get_if<QImage>(&result); image && !image->isNull())
        return std::move(*image);
    return std::nullopt;
}

SnapshotService::ExportResult SnapshotService::writeExport(const QList<SafariWindow>& windows,
                                                           const QString& folder)
{
    if (std::optional<ExportError> error = preparePrivateFolder(folder))
        return *std::move(error);

    const CaptureRun run = captureRun(windows);
    publishDiagnostics(run.diagnostics);

    QStringList written;
    const auto notWritten = [&written](const FileWriteError& error) {
        return ExportError{ExportError::Kind::fileNotWritten, error.path, error.cause,
                           int(written.size())};
    };
    const QDir dir(folder);
    const qsizetype longestName = AtomicFile::longestName(folder);
    // The export describes its own run, even when another one finished in
    // between and replaced lastDiagnostics.
    if (const auto error = AtomicFile::write(dir.filePath(QStringLiteral("diagnostics.txt")),
                                             run.diagnostics.join(QLatin1Char('\n')).toUtf8()))
        return notWritten(*error);

    for (int i = 0; i < windows.size() && !m_closing; ++i) {
        const SafariWindow& window = windows.at(i);
        if (!window.windowID)
            continue;
        const auto image = cachedImage(window.windowID);
        if (!image)
            continue;
        const QString path = dir.absoluteFilePath(exportFileName(i + 1, window, longestName));
        if (const auto error = AtomicFile::writePng(path, *image))
            return notWritten(*error);
        written << path;
    }
    return written;
}

void SnapshotService::pruneDiskCache(const QDateTime& now)
{
    const QDateTime cutoff = now.addSecs(-pruneAgeSeconds);
    const QDir dir(m_diskCacheDirectory);
    if (!dir.exists())
        return;
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        // Thumbnails are files; a folder here is not ours to delete wholesale.
        if (entry.isDir() && !entry.isSymLink())
            continue;
        // A date that cannot be read (a dangling link, say) counts as the
        // distant past.
        const QDateTime modified = entry.lastModified();
        if (!modified.isValid() || modified < cutoff)
            QFile::remove(entry.absoluteFilePath());
    }
}

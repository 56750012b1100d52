#pragma once

#include "Models/SafariWindow.h"
#include "Services/ThumbnailWriter.h"

#include <QFuture>
#include <QHash>
#include <QImage>
#include <QMutex>
#include <QSize>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <optional>
#include <variant>

class Clock;
class ScreenCapture;
class WindowServer;
struct ShareableWindow;

// Captures an image of each listed window for the switcher's cards, keeps every
// image in memory and as "<id>.png" in the thumbnail folder (both keyed by the
// window-server id), records one diagnostic line per window of the last capture
// run, and exports images and diagnostics to a folder on request.
//
// Capture runs and exports run off the calling thread and hand their results
// back through a QFuture; cachedImage() may be called from any thread.
// Thumbnails are written by a ThumbnailWriter: at most one write waits per
// window, never awaited, dropped when the service goes.
class SnapshotService final {
public:
    static constexpr double maxPixelWidth = 1440;

    // Why an export wrote nothing, or stopped: its folder could not be
    // created, or is a link or someone else's, or a file in it could not be
    // written (path is then the file's, cause the system's reason, and the
    // PNG files written before it stay in the folder).
    struct ExportError {
        enum class Kind { folderNotCreated, folderNotPrivate, fileNotWritten };
        Kind kind;
        QString path;
        QString cause;
        int written = 0; // PNG files written before the failure
        QString description() const;
    };
    // The PNG files written, in list order, or why the export failed.
    using ExportResult = std::variant<QStringList, ExportError>;

    // Creates the thumbnail folder and removes thumbnails older than three
    // days by the clock; neither may fail the service.
    SnapshotService(ScreenCapture& screenCapture, WindowServer& windowServer, const Clock& clock,
                    QString diskCacheDirectory = defaultDiskCacheDirectory());
    // Stops running captures and exports after the window in hand, drops the
    // thumbnail writes still waiting and waits for the one in progress.
    ~SnapshotService();
    SnapshotService(const SnapshotService&) = delete;
    SnapshotService& operator=(const SnapshotService&) = delete;

    // "TesselNav/Thumbnails" under the user's data folder.
    static QString defaultDiskCacheDirectory();
    // Two pixels per point, scaled down to at most maxPixelWidth wide with the
    // aspect ratio kept; at least one pixel each way.
    static QSize captureSize(const QSizeF& frame);
    // "<position> - <name>.png" of an export, the name cut to fit the whole
    // in nameLimit bytes, the longest file name the export can write (and
    // write again) in its folder.
    static QString exportFileName(int position, const SafariWindow& window, qsizetype nameLimit);

    // Captures every window that has a window-server id, one after another;
    // the result holds this run's successful captures only. Never fails:
    // problems end up in lastDiagnostics().
    QFuture<QHash<quint32, QImage>> refreshSnapshots(const QList<SafariWindow>& windows);

    // Memory, then the thumbnail file (kept in memory once read).
    std::optional<QImage> cachedImage(std::optional<quint32> windowID);

    // A capture run over the windows, then "diagnostics.txt" of that run and
    // one PNG per window with an image (fresh or cached) into the folder. The
    // folder is created for this user alone; one that is there already must
    // be a real folder of this user's. The first file that cannot be written
    // ends the export; the files written before it stay.
    QFuture<ExportResult> writeSnapshots(const QList<SafariWindow>& windows, const QString& folder);

    // For tests and benchmarks: the product never calls these.
    // One line per window of the last capture run to finish.
    QStringList lastDiagnostics() const;
    // Blocks until queued thumbnail writes are done.
    void waitForDiskWrites() { m_thumbnails.waitUntilIdle(); }
    // Thumbnail writes waiting; at most one per window.
    int pendingDiskWrites() const { return m_thumbnails.pendingCount(); }
    // While held, no thumbnail write begins.
    void holdDiskWrites(bool held) { m_thumbnails.hold(held); }

private:
    struct CaptureRun {
        QHash<quint32, QImage> images;
        QStringList diagnostics;
    };

    CaptureRun captureRun(const QList<SafariWindow>& windows);
    std::optional<QImage> capture(const ShareableWindow& window);
    ExportResult writeExport(const QList<SafariWindow>& windows, const QString& folder);
    void publishDiagnostics(const QStringList& lines);
    void pruneDiskCache(const QDateTime& now);

    ScreenCapture& m_screenCapture;
    WindowServer& m_windowServer;
    const QString m_diskCacheDirectory;

    mutable QMutex m_cacheLock; // guards m_cache only; never held across capture or file work
    QHash<quint32, QImage> m_cache;

    mutable QMutex m_diagnosticsLock;
    QStringList m_lastDiagnostics;

    ThumbnailWriter m_thumbnails;
    std::atomic<bool> m_closing{false}; // the service is going: runs stop early
    QThreadPool m_runs;                 // capture runs and exports; they queue thumbnails
};

#pragma once

#include "Models/SafariWindow.h"

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
class SnapshotService final {
public:
    static constexpr double maxPixelWidth = 1440;

    // The export folder could not be created.
    struct ExportError {
        QString folder;
        QString description() const;
    };
    // The PNG files written, in list order, or why nothing was.
    using ExportResult = std::variant<QStringList, ExportError>;

    // Creates the thumbnail folder and removes thumbnails older than three
    // days by the clock; neither may fail the service.
    SnapshotService(ScreenCapture& screenCapture, WindowServer& windowServer, const Clock& clock,
                    QString diskCacheDirectory = defaultDiskCacheDirectory());
    // Waits for running captures and pending thumbnail writes.
    ~SnapshotService();
    SnapshotService(const SnapshotService&) = delete;
    SnapshotService& operator=(const SnapshotService&) = delete;

    // "TesselNav/Thumbnails" under the user's data folder.
    static QString defaultDiskCacheDirectory();
    // Two pixels per point, scaled down to at most maxPixelWidth wide with the
    // aspect ratio kept; at least one pixel each way.
    static QSize captureSize(const QSizeF& frame);
    // "<position> - <name>.png" of an export.
    static QString exportFileName(int position, const SafariWindow& window);

    // Captures every window that has a window-server id, one after another;
    // the result holds this run's successful captures only. Never fails:
    // problems end up in lastDiagnostics().
    QFuture<QHash<quint32, QImage>> refreshSnapshots(const QList<SafariWindow>& windows);

    // Memory, then the thumbnail file (kept in memory once read).
    std::optional<QImage> cachedImage(std::optional<quint32> windowID);

    // A capture run over the windows, then "diagnostics.txt" of that run and
    // one PNG per window with an image (fresh or cached) into the folder.
    QFuture<ExportResult> writeSnapshots(const QList<SafariWindow>& windows, const QString& folder);

    // One line per window of the last capture run to finish.
    QStringList lastDiagnostics() const;

    QString diskCacheDirectory() const { return m_diskCacheDirectory; }

    // Blocks until queued thumbnail writes are done. Never needed by the
    // product; tests and benchmarks use it to look at the files.
    void waitForDiskWrites();
    // Thumbnail writes queued and not yet begun. Never needed by the product;
    // benchmarks and tests watch the queue with it.
    int pendingDiskWrites() const { return m_pendingDiskWrites; }

private:
    struct CaptureRun {
        QHash<quint32, QImage> images;
        QStringList diagnostics;
    };

    CaptureRun captureRun(const QList<SafariWindow>& windows);
    std::optional<QImage> capture(const ShareableWindow& window);
    ExportResult writeExport(const QList<SafariWindow>& windows, const QString& folder);
    void publishDiagnostics(const QStringList& lines);
    void persistToDisk(const QImage& image, quint32 windowID);
    void pruneDiskCache(const QDateTime& now);

    ScreenCapture& m_screenCapture;
    WindowServer& m_windowServer;
    const QString m_diskCacheDirectory;

    mutable QMutex m_cacheLock; // guards m_cache only; never held across capture or file work
    QHash<quint32, QImage> m_cache;

    mutable QMutex m_diagnosticsLock;
    QStringList m_lastDiagnostics;

    QThreadPool m_runs; // capture runs and exports
    std::atomic<int> m_pendingDiskWrites{0};
    QThreadPool m_diskWrites; // one low-priority thread: writes land in the order captured
};

#pragma once

#include "Platform/Threading/SerialQueue.h"

#include <QHash>
#include <QImage>
#include <QSet>
#include <QString>

#include <condition_variable>
#include <mutex>

// Writes window thumbnails as "<id>.png" into a folder, one at a time on a
// thread of its own, off the callers' path and never awaited by them.
//
// At most one write waits per window id: a newer image of an id takes the
// place of the one still waiting (and its place in line), so the file always
// ends as the last image given, and what waiting writes hold is bounded by
// the number of windows, however fast images come and however slow the disk.
// An image equal to the last one written for its id is not encoded again; the
// file's date is renewed instead, as a write would, so that pruning by age
// keeps it.
//
// A write that fails leaves the previous file as it was and is not taken as
// written; the first failure of each reason goes to the Qt message log, the
// later ones of that reason nowhere. A folder that has gone is created again.
//
// Destroying the writer drops the waiting writes and waits only for the one
// in progress. Every file is written under a temporary name and renamed over
// its final one, so a write cut off (the process killed) never leaves half a
// PNG under the final name.
class ThumbnailWriter final {
public:
    explicit ThumbnailWriter(QString folder);
    ~ThumbnailWriter();
    ThumbnailWriter(const ThumbnailWriter&) = delete;
    ThumbnailWriter& operator=(const ThumbnailWriter&) = delete;

    // Queues the image as the next content of "<windowID>.png".
    void write(quint32 windowID, const QImage& image);

    // For tests and benchmarks: the product never calls these.
    int pendingCount() const; // writes waiting, the one in progress not counted
    void waitUntilIdle();     // every write queued so far is done
    void hold(bool held);     // while held, no write begins

private:
    void writeNext(quint32 windowID);

    const QString m_folder;

    mutable std::mutex m_mutex;
    QHash<quint32, QImage> m_pending; // guarded by m_mutex
    bool m_held = false;              // guarded by m_mutex
    bool m_closing = false;           // guarded by m_mutex
    std::condition_variable m_released;

    QHash<quint32, size_t> m_writtenDigests; // the writer thread's alone
    QSet<QString> m_reportedCauses;          // the writer thread's alone

    // Last: destroying it drops the queued writes and waits for the running one.
    SerialQueue m_queue;
};

#include "ThumbnailWriter.h"

#include "Platform/AtomicFile.h"

#include <QDir>
#include <QFile>

#include <future>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

// Equal images give equal digests; two different images giving the same one
// (about one chance in 2^64) would only leave the file one capture behind
// until the window changes again: the memory cache is not involved. Hashing
// takes well under a millisecond for a 1440×900 image, encoding it about a
// hundred times as long.
size_t digest(const QImage& image)
{
    const size_t bits =
        qHashBits(image.constBits(), size_t(image.sizeInBytes()), QHashSeed::globalSeed());
    return qHashMulti(bits, image.width(), image.height(), int(image.format()),
                      image.bytesPerLine());
}

// Stamps the file with the time now, as writing it would; false when it is
// not there.
bool renewModificationDate(const QString& path)
{
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), nullptr, 0) == 0;
}

} // namespace

ThumbnailWriter::ThumbnailWriter(QString folder) : m_folder(std::move(folder)) {}

ThumbnailWriter::~ThumbnailWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_released.notify_all();
    // The queue goes first among the members: it drops what waits and joins
    // the write in progress, if any.
}

void ThumbnailWriter::write(quint32 windowID, const QImage& image)
{
    {
        std::lock_guard lock(m_mutex);
        const auto waiting = m_pending.find(windowID);
        if (waiting != m_pending.end()) {
            *waiting = image; // the write already in line takes the newer image
            return;
        }
        m_pending.insert(windowID, image);
    }
    m_queue.async([this, windowID] { writeNext(windowID); });
}

void ThumbnailWriter::writeNext(quint32 windowID)
{
    QImage image;
    {
        std::unique_lock lock(m_mutex);
        m_released.wait(lock, [this] { return !m_held || m_closing; });
        if (m_closing)
            return;
        image = m_pending.take(windowID);
    }
    const QString path = QDir(m_folder).filePath(QStringLiteral("%1.png").arg(windowID));
    const size_t imageDigest = digest(image);
    const auto written = m_writtenDigests.constFind(windowID);
    if (written != m_writtenDigests.cend() && *written == imageDigest &&
        renewModificationDate(path))
        return;
    QDir().mkpath(m_folder);
    const std::optional<FileWriteError> error = AtomicFile::writePng(path, image);
    if (!error) {
        m_writtenDigests.insert(windowID, imageDigest);
        return;
    }
    m_writtenDigests.remove(windowID);
    // A full disk fails every write after the first: one line says why.
    if (!m_reportedCauses.contains(error->cause)) {
        m_reportedCauses.insert(error->cause);
        qWarning("Tessel Nav: could not save the thumbnail %s (%s); it is kept in memory, and "
                 "later thumbnails that fail for this reason are not reported.",
                 qUtf8Printable(path), qUtf8Printable(error->cause));
    }
}

int ThumbnailWriter::pendingCount() const
{
    std::lock_guard lock(m_mutex);
    return int(m_pending.size());
}

void ThumbnailWriter::waitUntilIdle()
{
    // Writes run in the order queued, so one more job runs after all of them.
    std::promise<void> reached;
    std::future<void> done = reached.get_future();
    m_queue.async([&reached] { reached.set_value(); });
    done.wait();
}

void ThumbnailWriter::hold(bool held)
{
    {
        std::lock_guard lock(m_mutex);
        m_held = held;
    }
    m_released.notify_all();
}

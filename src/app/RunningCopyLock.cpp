#include "app/RunningCopyLock.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A copy that holds the lock may be ending: a restart sends SIGTERM and
// starts the next copy at once, and a copy with slow apps to let go of takes
// a while to end.
constexpr std::chrono::seconds patience(5);
constexpr std::chrono::milliseconds retryInterval(10);

// A FIFO at the lock's place would hold open() until a writer came, maybe
// never, and no SIGTERM could end that wait: the event loop that acts on it
// is not running yet. So no open waits, and no link is followed to one. Not
// handed to the programs the copy starts, which would hold the lock on.
constexpr int openFlags = O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW;

// Read-write where the file takes writes: on NFS, flock is a byte-range lock,
// and an exclusive one fails on a file open for reading only. Read-only
// still opens a lock file that the file's mode or a read-only disk keeps
// from being written, and a local file system locks it all the same.
int openLockFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int descriptor = open(name.constData(), O_RDWR | openFlags, 0600);
    if (descriptor >= 0 || (errno != EACCES && errno != EPERM && errno != EROFS))
        return descriptor;
    return open(name.constData(), O_RDONLY | openFlags, 0600);
}

bool isRegularFile(int descriptor)
{
    struct stat status {};
    return fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
}

// 0 once this descriptor holds the lock, EWOULDBLOCK while another holds
// it, else the reason there is no lock to be had.
int tryLock(int descriptor)
{
    return flock(descriptor, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
}

QString withoutLock(const QString& path, const QString& reason)
{
    return QStringLiteral("Tessel Nav: the lock file %1 %2; running without the one-copy lock, "
                          "so another copy may start on the same settings.")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString systemReason(const char* what, int error)
{
    return QStringLiteral("%1 (%2)").arg(QLatin1String(what),
                                         QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace

RunningCopyLock::RunningCopyLock(const QString& folder)
{
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/running.lock");
    const QString notAFile = QStringLiteral("is not a regular file");
    m_descriptor = openLockFile(path);
    if (m_descriptor < 0) {
        const int error = errno;
        // ELOOP: a link, which O_NOFOLLOW refuses.
        m_withoutLockReport =
            withoutLock(path, error == ELOOP ? notAFile : systemReason("cannot be opened", error));
        return;
    }
    if (!isRegularFile(m_descriptor)) {
        close(m_descriptor);
        m_descriptor = -1;
        m_withoutLockReport = withoutLock(path, notAFile);
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + patience;
    int result = tryLock(m_descriptor);
    while (result == EWOULDBLOCK && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(retryInterval);
        result = tryLock(m_descriptor);
    }
    m_heldByAnotherCopy = result == EWOULDBLOCK;
    // A file system that gives no locks, or NFS refusing one on a file open
    // for reading.
    if (result != 0 && !m_heldByAnotherCopy)
        m_withoutLockReport = withoutLock(path, systemReason("cannot be locked", result));
}

RunningCopyLock::~RunningCopyLock()
{
    if (m_descriptor >= 0)
        close(m_descriptor);
}

#include "app/RunningCopyLock.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// A copy that holds the lock may be ending: a restart sends SIGTERM and
// starts the next copy at once, and a copy with slow apps to let go of takes
// a while to end.
constexpr std::chrono::seconds patience(5);
constexpr std::chrono::milliseconds retryInterval(10);

// False once this descriptor holds the lock, and where the file system
// gives no locks at all.
bool heldElsewhere(int descriptor)
{
    return flock(descriptor, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

} // namespace

RunningCopyLock::RunningCopyLock(const QString& folder)
{
    QDir().mkpath(folder);
    // Read-only is enough for flock, and it also opens a lock file that a
    // folder or disk which takes no writes keeps from being created. Not
    // handed to the programs the copy starts, which would hold it on.
    m_descriptor = open(QFile::encodeName(folder + QStringLiteral("/running.lock")).constData(),
                        O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
    // Where no lock can be had at all (no file and no way to make one, a
    // file system without locks), the program runs unguarded: a person
    // would rather have the switcher than nothing, and the settings store
    // says by itself what it cannot save.
    if (m_descriptor < 0)
        return;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    m_heldByAnotherCopy = heldElsewhere(m_descriptor);
    while (m_heldByAnotherCopy && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(retryInterval);
        m_heldByAnotherCopy = heldElsewhere(m_descriptor);
    }
}

RunningCopyLock::~RunningCopyLock()
{
    if (m_descriptor >= 0)
        close(m_descriptor);
}

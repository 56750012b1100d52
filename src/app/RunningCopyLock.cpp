#include "app/RunningCopyLock.h"

#include <QDir>

RunningCopyLock::RunningCopyLock(const QString& folder)
    : m_lock(folder + QStringLiteral("/running.lock"))
{
    m_lock.setStaleLockTime(0);
    QDir().mkpath(folder);
    // Where no lock can be made at all (a folder that cannot be created or
    // written, a full disk), the program runs unguarded: a person would
    // rather have the switcher than nothing, and the settings store says by
    // itself what it cannot save.
    m_heldByAnotherCopy = !m_lock.tryLock(0) && m_lock.error() == QLockFile::LockFailedError;
}

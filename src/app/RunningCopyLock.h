#pragma once

#include <QString>

// Keeps one running copy of the program per settings folder: two copies
// would each write the same settings file and count each other's starts as
// launches that failed.
//
// The lock is an advisory lock (flock) on the open file "running.lock" in
// the folder, held while the object lives. What the file holds means
// nothing: the kernel releases the lock when the process ends, however it
// ends (Quit, a signal, kill -9, a power cut), so no lock outlives its copy,
// whatever process numbers a PID namespace hands out. A start that finds
// the lock held waits up to 5 seconds for it, since the holder may be
// ending, before it leaves the folder to that copy.
class RunningCopyLock final {
public:
    explicit RunningCopyLock(const QString& folder);
    ~RunningCopyLock();
    RunningCopyLock(const RunningCopyLock&) = delete;
    RunningCopyLock& operator=(const RunningCopyLock&) = delete;

    // Another running copy holds the folder: this one should leave it alone.
    bool heldByAnotherCopy() const { return m_heldByAnotherCopy; }

private:
    int m_descriptor = -1;
    bool m_heldByAnotherCopy = false;
};

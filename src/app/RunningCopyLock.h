#pragma once

#include <QString>

#include <optional>

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
//
// Where the lock cannot be had (the file cannot be opened or locked, or is
// not a regular file), the copy runs without it: a person would rather have
// the switcher than nothing, and the settings store says by itself what it
// cannot save.
class RunningCopyLock final {
public:
    explicit RunningCopyLock(const QString& folder);
    ~RunningCopyLock();
    RunningCopyLock(const RunningCopyLock&) = delete;
    RunningCopyLock& operator=(const RunningCopyLock&) = delete;

    // Another running copy holds the folder: this one should leave it alone.
    bool heldByAnotherCopy() const { return m_heldByAnotherCopy; }

    // Why this copy runs without the lock, as one line for the person who
    // started it: the file and the reason. None while this copy holds the
    // lock or another copy does.
    const std::optional<QString>& withoutLockReport() const { return m_withoutLockReport; }

private:
    int m_descriptor = -1;
    bool m_heldByAnotherCopy = false;
    std::optional<QString> m_withoutLockReport;
};

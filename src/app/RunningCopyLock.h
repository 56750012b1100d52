#pragma once

#include <QLockFile>
#include <QString>

// Keeps one running copy of the program per settings folder: two copies
// would each write the same settings file and count each other's starts as
// launches that failed.
//
// The lock is a file in the folder, held while the object lives. A lock left
// by a copy that was killed names a process that no longer runs, and the next
// start takes it over; a lock is never stale only because it is old, since a
// copy runs for days.
class RunningCopyLock final {
public:
    explicit RunningCopyLock(const QString& folder);

    // Another running copy holds the folder: this one should leave it alone.
    bool heldByAnotherCopy() const { return m_heldByAnotherCopy; }

private:
    QLockFile m_lock;
    bool m_heldByAnotherCopy = false;
};

#pragma once

#include <QList>

#include <mutex>
#include <utility>

// What a simulated facility has done, for the tests that ask (through
// SimControl). It keeps entries only while recording, which is off until a
// test turns it on: the program runs on the simulated host for hours and must
// not hold a history that grows with every use.
//
// May be used from any thread.
template <typename Entry> class SimRecorder {
public:
    // Turning recording off also forgets what was kept.
    void setRecording(bool on)
    {
        std::lock_guard lock(m_mutex);
        m_recording = on;
        if (!on)
            m_entries.clear();
    }

    void add(Entry entry)
    {
        std::lock_guard lock(m_mutex);
        if (m_recording)
            m_entries << std::move(entry);
    }

    // Oldest first.
    QList<Entry> entries() const
    {
        std::lock_guard lock(m_mutex);
        return m_entries;
    }

private:
    mutable std::mutex m_mutex;
    bool m_recording = false;
    QList<Entry> m_entries;
};

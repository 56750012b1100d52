#pragma once

#include "Platform/Clock.h"

#include <QMutex>

// A clock that stands still until a test moves it.
class SimClock final : public Clock {
public:
    explicit SimClock(QDateTime start = QDateTime(QDate(2026, 1, 5), QTime(9, 0), Qt::UTC))
        : m_now(std::move(start))
    {
    }

    QDateTime now() const override
    {
        QMutexLocker lock(&m_mutex);
        return m_now;
    }
    void advance(double seconds)
    {
        QMutexLocker lock(&m_mutex);
        m_now = m_now.addMSecs(qint64(seconds * 1000.0));
    }
    void set(const QDateTime& now)
    {
        QMutexLocker lock(&m_mutex);
        m_now = now;
    }

private:
    mutable QMutex m_mutex;
    QDateTime m_now;
};

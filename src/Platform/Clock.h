#pragma once

#include <QDateTime>

// Wall-clock time, injectable so that rules measured in seconds to days
// (benches, pruning, crash stamps) can be tested without waiting.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
};

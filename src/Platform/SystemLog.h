#pragma once

#include <QString>

// The system log: single unstructured lines.
class SystemLog {
public:
    virtual ~SystemLog() = default;
    virtual void log(const QString& line) = 0;
};

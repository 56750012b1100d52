#pragma once

#include "Platform/SystemLog.h"

#include <QStringList>

#include <mutex>

// Keeps the lines so that tests can read them.
class SimSystemLog final : public SystemLog {
public:
    void log(const QString& line) override;
    QStringList lines() const;

private:
    mutable std::mutex m_mutex;
    QStringList m_lines;
};

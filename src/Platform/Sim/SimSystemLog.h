#pragma once

#include "Platform/SystemLog.h"

#include <QStringList>

#include <mutex>

// Keeps the lines so that tests can read them; also echoes them to stderr
// when asked to, for the desktop run.
class SimSystemLog final : public SystemLog {
public:
    explicit SimSystemLog(bool echo = false) : m_echo(echo) {}

    void log(const QString& line) override;
    QStringList lines() const;
    void clear();

private:
    bool m_echo;
    mutable std::mutex m_mutex;
    QStringList m_lines;
};

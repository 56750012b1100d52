#include "SimSystemLog.h"

void SimSystemLog::log(const QString& line)
{
    std::lock_guard lock(m_mutex);
    m_lines << line;
}

QStringList SimSystemLog::lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}

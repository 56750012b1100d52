#include "SimSystemLog.h"

#include <cstdio>

void SimSystemLog::log(const QString& line)
{
    {
        std::lock_guard lock(m_mutex);
        m_lines << line;
    }
    if (m_echo)
        std::fprintf(stderr, "[system log] %s\n", qUtf8Printable(line));
}

QStringList SimSystemLog::lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}

void SimSystemLog::clear()
{
    std::lock_guard lock(m_mutex);
    m_lines.clear();
}

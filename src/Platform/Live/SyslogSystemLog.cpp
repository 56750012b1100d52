#include "SyslogSystemLog.h"

#include <syslog.h>

SyslogSystemLog::SyslogSystemLog()
{
    openlog("tessel-nav", LOG_PID, LOG_USER);
}

SyslogSystemLog::~SyslogSystemLog()
{
    closelog();
}

void SyslogSystemLog::log(const QString& line)
{
    // Never the line as the format: it may hold a "%".
    syslog(LOG_NOTICE, "%s", qUtf8Printable(line));
}

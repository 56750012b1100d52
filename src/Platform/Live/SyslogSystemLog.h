#pragma once

#include "Platform/SystemLog.h"

// The system log through syslog(3), under the ident "tessel-nav".
class SyslogSystemLog final : public SystemLog {
public:
    SyslogSystemLog();
    ~SyslogSystemLog() override;
    SyslogSystemLog(const SyslogSystemLog&) = delete;
    SyslogSystemLog& operator=(const SyslogSystemLog&) = delete;

    void log(const QString& line) override;
};

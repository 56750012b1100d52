#pragma once

#include <QString>

// The program's version, from the build's project version: the one place that
// the crash report, the menu panel and anything else showing it read.
inline QString appVersion()
{
    return QStringLiteral(TESSEL_VERSION);
}

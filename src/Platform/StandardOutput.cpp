#include "Platform/StandardOutput.h"

#include <cstdio>
#include <mutex>

namespace StandardOutput {

void printLine(const QString& text)
{
    static std::mutex mutex;
    static bool closed = false;
    const QByteArray bytes = text.toUtf8() + '\n';
    std::lock_guard lock(mutex);
    if (closed)
        return;
    const bool written =
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    closed = std::fflush(stdout) != 0 || !written;
}

} // namespace StandardOutput

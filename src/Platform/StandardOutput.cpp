#include "Platform/StandardOutput.h"

#include <cstdio>
#include <mutex>

namespace StandardOutput {

void printLine(const QString& text)
{
    static std::mutex mutex;
    const QByteArray bytes = text.toUtf8() + '\n';
    std::lock_guard lock(mutex);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

} // namespace StandardOutput

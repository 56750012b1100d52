#include "Platform/StandardOutput.h"

#include <cerrno>
#include <mutex>

#include <unistd.h>

namespace StandardOutput {

void printLine(const QString& text)
{
    static std::mutex mutex;
    static bool readerGone = false;
    const QByteArray bytes = text.toUtf8() + '\n';
    std::lock_guard lock(mutex);
    if (readerGone)
        return;
    // Straight to the descriptor, so that nothing but this line is at stake
    // and errno is its write's: what becomes of the buffered bytes of a
    // stdio flush that failed is not specified.
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written =
            ::write(STDOUT_FILENO, bytes.constData() + done, size_t(bytes.size() - done));
        if (written <= 0) {
            readerGone = written < 0 && errno == EPIPE;
            return;
        }
        done += written;
    }
}

} // namespace StandardOutput

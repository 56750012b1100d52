#pragma once

#include <csignal>
#include <sys/resource.h>

// A full disk without root: every write past the limit fails with "File too
// large" (EFBIG). SIGXFSZ is ignored, so that such a write fails instead of
// ending the process. Header only: the end-to-end tests link no test support
// library.
namespace FileSizeLimit {

// For the rest of the process's life: a child's set-up before it runs the
// program.
inline void lower(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

// Lowered while it lives, as it was before afterwards.
class Scoped {
public:
    explicit Scoped(rlim_t bytes) : m_handler(std::signal(SIGXFSZ, SIG_IGN))
    {
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        lower(bytes);
    }
    ~Scoped()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_handler);
    }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;

private:
    void (*m_handler)(int);
    rlimit m_previous{};
};

} // namespace FileSizeLimit

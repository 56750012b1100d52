#include "app/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iterator>

#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int handledSignals[] = {SIGTERM, SIGINT, SIGHUP};

// All the handler touches.
int writeEnd = -1;
volatile std::sig_atomic_t arrived = 0;
volatile std::sig_atomic_t interrupted = 0;

void onSignal(int number)
{
    // Only a second Ctrl+C means that someone will not wait for the end
    // under way. A first one is noted and goes with that end, also when it
    // comes after SIGTERM or SIGHUP: a terminal closed as Ctrl+C is pressed
    // sends SIGINT and SIGHUP at once, and the kernel hands over SIGHUP first.
    if (number == SIGINT) {
        if (interrupted) {
            // The signal is blocked while its handler runs, so the raised one
            // acts, with the usual action, as soon as the handler returns.
            struct sigaction usual = {};
            usual.sa_handler = SIG_DFL;
            sigemptyset(&usual.sa_mask);
            sigaction(number, &usual, nullptr);
            raise(number);
            return;
        }
        interrupted = 1;
    }
    // A session that ends sends SIGTERM and SIGHUP back to back: the end
    // under way already answers both.
    if (arrived)
        return;
    arrived = 1;
    const int savedErrno = errno;
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = write(writeEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    static_assert(sizeof m_previous / sizeof m_previous[0] == std::size(handledSignals));
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) {
        std::fprintf(stderr,
                     "Tessel Nav: cannot watch for SIGTERM, SIGINT and SIGHUP (%s); they end "
                     "the program at once.\n",
                     std::strerror(errno));
        return;
    }
    writeEnd = ends[0];
    m_readEnd = ends[1];
    m_notifier = std::make_unique<QSocketNotifier>(m_readEnd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::takeSignal);

    struct sigaction action = {};
    action.sa_handler = onSignal;
    // One handler at a time: a second signal always finds the first noted.
    sigemptyset(&action.sa_mask);
    for (const int number : handledSignals)
        sigaddset(&action.sa_mask, number);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(handledSignals); ++i) {
        sigaction(handledSignals[i], nullptr, &m_previous[i]);
        // Ignored by whoever started the program (nohup, a shell's background
        // job): it stays ignored, as they asked.
        if (m_previous[i].sa_handler != SIG_IGN)
            sigaction(handledSignals[i], &action, nullptr);
    }
}

TerminationSignals::~TerminationSignals()
{
    if (m_readEnd < 0)
        return;
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (std::size_t i = 0; i < std::size(handledSignals); ++i) {
        // The end under way goes on after this object: a late SIGTERM or
        // SIGHUP must not turn it into a death by signal, and SIGINT keeps
        // the handler, which past the first signal writes nothing and ends
        // the process only at a second Ctrl+C.
        if (!arrived)
            sigaction(handledSignals[i], &m_previous[i], nullptr);
        else if (handledSignals[i] != SIGINT)
            sigaction(handledSignals[i], &ignore, nullptr);
    }
    m_notifier.reset();
    close(writeEnd);
    writeEnd = -1;
    close(m_readEnd);
}

void TerminationSignals::takeSignal()
{
    char bytes[8];
    while (read(m_readEnd, bytes, sizeof bytes) > 0) {
    }
    m_notifier->setEnabled(false);
    emit received();
}

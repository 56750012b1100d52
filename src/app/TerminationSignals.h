#pragma once

#include <QObject>

#include <memory>

#include <signal.h>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (a logout, a service stop, Ctrl+C, a
// closed terminal) into received() on the main thread, so that the program
// ends the way Quit ends it, with what is waiting to be stored written.
//
// A handler may call almost nothing, so it only writes one byte to a socket
// pair whose other end a notifier watches in the event loop. Once one of the
// signals has arrived, SIGTERM and SIGHUP are ignored for the rest of the
// process (a logout sends both back to back), and so is a first SIGINT; only
// a SIGINT after an earlier SIGINT ends it at once with its usual action: an
// impatient Ctrl+C still stops a quit that hangs, while one Ctrl+C that comes
// with a hang-up, whichever the kernel hands over first, ends it in order.
// SIGKILL cannot be caught and stays what it is, and a signal that the
// program was started with ignored stays ignored. Where the socket pair cannot
// be made, a line on standard error says so and the signals keep their usual
// action.
//
// One instance at a time, created and destroyed on the main thread; it
// restores the actions it replaced when it goes, unless one of the signals
// has arrived: then SIGTERM and SIGHUP stay ignored and SIGINT stays counted.
class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    // The first of the signals arrived; emitted once.
    void received();

private:
    void takeSignal();

    int m_readEnd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    // The actions replaced, one per signal, in the order SIGTERM, SIGINT, SIGHUP.
    struct sigaction m_previous[3] = {};
};

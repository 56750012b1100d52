#include "Platform/StandardOutput.h"

#include <QTest>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Standard output goes to the descriptor while this lives; Qt Test's own
// lines go to the real one again before anything is compared.
class Redirected {
public:
    explicit Redirected(int fd) : m_saved(::dup(STDOUT_FILENO)) { ::dup2(fd, STDOUT_FILENO); }
    ~Redirected()
    {
        ::dup2(m_saved, STDOUT_FILENO);
        ::close(m_saved);
    }
    Redirected(const Redirected&) = delete;
    Redirected& operator=(const Redirected&) = delete;

private:
    int m_saved;
};

// Writes until the non-blocking socket takes no byte more.
bool fill(int fd)
{
    const QByteArray block(4096, 'x');
    for (qsizetype size : {block.size(), qsizetype(1)}) {
        while (::write(fd, block.constData(), size_t(size)) > 0) {
        }
    }
    return errno == EAGAIN;
}

// What the other end holds now, without waiting for more.
QByteArray drain(int fd)
{
    QByteArray read;
    char buffer[4096];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
        read.append(buffer, n);
    return read;
}

} // namespace

class TestStandardOutput : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // As in the program: a reader that has gone fails the write.
        std::signal(SIGPIPE, SIG_IGN);
    }

    // A reader that is slow to take its lines (a full non-blocking output)
    // misses the line that found it full and no other; one that has gone
    // ends the output for good.
    void onlyAReaderThatHasGoneEndsTheOutput()
    {
        int reader[2];
        int next[2];
        QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM, 0, reader), 0);
        QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM, 0, next), 0);
        QCOMPARE(::fcntl(reader[0], F_SETFL, O_NONBLOCK), 0);
        bool filled = false;
        QByteArray afterFull;
        {
            const Redirected output(reader[0]);
            filled = fill(STDOUT_FILENO);
            StandardOutput::printLine(QStringLiteral("lost"));
            drain(reader[1]);
            StandardOutput::printLine(QStringLiteral("kept"));
            afterFull = drain(reader[1]);
            ::close(reader[1]);
            StandardOutput::printLine(QStringLiteral("to nobody"));
        }
        {
            const Redirected output(next[0]);
            StandardOutput::printLine(QStringLiteral("after"));
        }
        const QByteArray afterGone = drain(next[1]);
        for (int fd : {reader[0], next[0], next[1]})
            ::close(fd);

        QVERIFY(filled);
        QCOMPARE(afterFull, QByteArray("kept\n"));
        QCOMPARE(afterGone, QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestStandardOutput)
#include "tst_StandardOutput.moc"

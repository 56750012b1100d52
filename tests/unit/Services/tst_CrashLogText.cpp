#include "Services/CrashLogText.h"

#include <QBuffer>
#include <QTest>

namespace {

constexpr qsizetype limit = 200000;

const QString thumbsUp = QString::fromUtf8("\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD"); // with a skin tone
const QString family = QString::fromUtf8(
    "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7"); // ZWJ sequence
const QString flags = QString::fromUtf8("\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA");     // one flag

// An endless device, like /dev/zero or a file that grows faster than it is
// read: whatever is read must stay bounded.
class EndlessDevice final : public QIODevice {
public:
    explicit EndlessDevice(QByteArray head, QByteArray pattern)
        : m_head(std::move(head)), m_pattern(std::move(pattern))
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    qint64 consumed() const { return m_consumed; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        for (qint64 i = 0; i < maxSize; ++i, ++m_consumed) {
            data[i] = m_consumed < m_head.size()
                          ? m_head[m_consumed]
                          : m_pattern[(m_consumed - m_head.size()) % m_pattern.size()];
        }
        return maxSize;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_head;
    QByteArray m_pattern;
    qint64 m_consumed = 0;
};

std::optional<QString> readBytes(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return CrashLogText::read(buffer, limit);
}

} // namespace

class TestCrashLogText : public QObject {
    Q_OBJECT
private slots:
    void cut_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString a(limit - 1, QLatin1Char('a'));
        QTest::newRow("short") << "Crashed Thread: 0"
                               << "Crashed Thread: 0";
        QTest::newRow("exactly the limit") << QString(limit, 'x') << QString(limit, 'x');
        QTest::newRow("one over") << QString(limit + 1, 'x') << QString(limit, 'x');
        // A cut by code units or by code points would split these.
        QTest::newRow("emoji with a modifier at the cut") << a + thumbsUp + family << a + thumbsUp;
        QTest::newRow("joined sequence at the cut") << a + family + "b" << a + family;
        QTest::newRow("flag at the cut") << a + flags + flags << a + flags;
        QTest::newRow("combining mark after the last character")
            << a + "e\u0301" + "z" << a + "e\u0301";
        QTest::newRow("line ending pair at the cut") << a + "\r\n" + "z" << a + "\r\n";
    }
    void cut()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(CrashLogText::prefix(text, limit), expected);
        QCOMPARE(readBytes(text.toUtf8()).value_or("(unreadable)"), expected);
    }

    void invalidUtf8_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("stray byte") << QByteArray("Exception \xFF Type");
        QTest::newRow("lone continuation") << QByteArray("\x80 at start");
        QTest::newRow("overlong slash") << QByteArray("path\xC0\xAF");
        QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80");
        QTest::newRow("sequence cut by the end") << QByteArray("trace \xE2\x82");
        // Past the first chunk, so that a chunk boundary cannot hide it.
        QTest::newRow("late stray byte") << QByteArray(100000, 'a') + "\xFE" + "b";
    }
    void invalidUtf8()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!readBytes(bytes));
    }

    // Multi-byte characters straddle the 64 KiB chunk boundaries.
    void sequencesAcrossChunks()
    {
        QString text;
        while (text.size() < 300000)
            text += QStringLiteral("é€") + family;
        QCOMPARE(readBytes(text.toUtf8()).value_or(QString()), CrashLogText::prefix(text, limit));
    }

    void endlessInputIsReadOnlyAsFarAsNeeded()
    {
        EndlessDevice zeros({}, QByteArray(1, '\0'));
        const std::optional<QString> text = CrashLogText::read(zeros, limit);
        QVERIFY(text);
        QCOMPARE(text->size(), limit);
        QVERIFY2(zeros.consumed() < 2 * limit, qPrintable(QString::number(zeros.consumed())));

        // One character that never ends: stops at the byte bound, with nothing
        // of the unfinished character.
        EndlessDevice marks("a", "\xCC\x81"); // combining acute accents
        const std::optional<QString> cut = CrashLogText::read(marks, limit);
        QVERIFY(cut);
        QCOMPARE(*cut, QString());
        QVERIFY(marks.consumed() <= limit * CrashLogText::maxBytesPerCharacter);
    }
};

QTEST_GUILESS_MAIN(TestCrashLogText)
#include "tst_CrashLogText.moc"

#include "Services/CrashLogText.h"

#include <QIODevice>
#include <QStringDecoder>
#include <QTextBoundaryFinder>

namespace CrashLogText {

namespace {

constexpr qint64 chunkSize = 64 * 1024;

// The position after the first `count` characters, or -1 when the text has
// no more than `count` of them.
qsizetype boundaryAfter(const QString& text, qsizetype count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype i = 0; i < count; ++i) {
        if (finder.toNextBoundary() == -1)
            return -1;
    }
    const qsizetype position = finder.position();
    return position < text.size() ? position : -1;
}

// The length of the longest prefix of `bytes` that ends on a UTF-8 sequence
// boundary; the rest is the start of a sequence that continues in the next
// chunk.
qsizetype completeLength(const QByteArray& bytes)
{
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[size - back]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: look further back for its lead
        const qsizetype expected = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return expected > back ? size - back : size;
    }
    return size;
}

} // namespace

QString prefix(const QString& text, qsizetype maxCharacters)
{
    const qsizetype end = boundaryAfter(text, maxCharacters);
    return end < 0 ? text : text.left(end);
}

std::optional<QString> read(QIODevice& device, qsizetype maxCharacters)
{
    const qint64 byteBound = maxCharacters * maxBytesPerCharacter;
    // Each chunk is decoded on its own (sequences cut by a chunk's end are
    // carried over by hand), and a U+FEFF is kept wherever it falls rather
    // than dropped as a byte-order mark at the start of a chunk.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    QString text;
    QByteArray chunk;
    qsizetype carry = 0; // bytes of a sequence cut by the previous chunk's end
    qint64 total = 0;
    bool reachedEnd = false;
    // Counting characters walks the whole text, so count only when the text
    // has doubled since the last count: linear overall.
    qsizetype nextCount = maxCharacters + 1;

    while (!reachedEnd && total < byteBound) {
        const qint64 want = std::min(chunkSize, byteBound - total);
        chunk.resize(carry + want);
        const qint64 got = device.read(chunk.data() + carry, want);
        if (got < 0)
            return std::nullopt;
        reachedEnd = got == 0;
        total += got;
        chunk.resize(carry + got);
        const qsizetype complete = completeLength(chunk);
        text += decoder.decode(QByteArrayView(chunk).first(complete));
        if (decoder.hasError())
            return std::nullopt;
        carry = chunk.size() - complete;
        chunk.remove(0, complete);
        if (text.size() >= nextCount) {
            if (const qsizetype end = boundaryAfter(text, maxCharacters); end >= 0)
                return text.left(end);
            nextCount = text.size() * 2;
        }
    }
    // A file that ends exactly at the byte bound was read whole.
    reachedEnd = reachedEnd || (!device.isSequential() && device.atEnd());
    if (reachedEnd) {
        // A sequence left open by the end of the log is not valid UTF-8.
        if (carry > 0)
            return std::nullopt;
        return prefix(text, maxCharacters);
    }
    // Stopped at the byte bound: the last character may go on beyond it, so
    // it is left out.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.toEnd();
    return prefix(text.left(std::max<qsizetype>(finder.toPreviousBoundary(), 0)), maxCharacters);
}

} // namespace CrashLogText

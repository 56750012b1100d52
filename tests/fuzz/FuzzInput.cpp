#include "FuzzInput.h"

#include <QByteArray>
#include <QCoreApplication>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

uint8_t FuzzInput::byte()
{
    return atEnd() ? 0 : m_data[m_pos++];
}

uint32_t FuzzInput::u32()
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | byte();
    return value;
}

uint64_t FuzzInput::u64()
{
    return (uint64_t(u32()) << 32) | u32();
}

int FuzzInput::range(int low, int high)
{
    const uint32_t span = uint32_t(high - low) + 1;
    const uint32_t raw = span <= 256 ? byte() : u32();
    return low + int(raw % span);
}

double FuzzInput::anyDouble()
{
    switch (byte() % 8) {
    case 0:
        return std::numeric_limits<double>::quiet_NaN();
    case 1:
        return std::numeric_limits<double>::infinity();
    case 2:
        return -std::numeric_limits<double>::infinity();
    case 3: {
        const uint64_t bits = u64();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    default:
        return finiteDouble();
    }
}

double FuzzInput::finiteDouble()
{
    switch (byte() % 4) {
    case 0: // whole numbers around zero
        return double(int16_t(u32() & 0xFFFF));
    case 1: // fractions
        return double(int32_t(u32())) / 1024.0;
    case 2: { // anything finite
        const uint64_t bits = u64();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return std::isfinite(value) ? value : 0.0;
    }
    default: // near the edges of the integer ranges
        return std::ldexp(1.0, range(0, 70)) * (flag() ? -1 : 1) + range(-2, 2);
    }
}

QString FuzzInput::text(int maxUnits)
{
    const bool utf16 = flag();
    const int units = range(0, maxUnits);
    if (utf16) {
        QString result;
        for (int i = 0; i < units && !atEnd(); ++i) {
            const uint8_t high = byte();
            result += QChar(char16_t((high << 8) | byte()));
        }
        return result;
    }
    const size_t bytes = std::min<size_t>(size_t(units), remaining());
    const QByteArray utf8(reinterpret_cast<const char*>(m_data + m_pos), qsizetype(bytes));
    m_pos += bytes;
    return QString::fromUtf8(utf8);
}

QString FuzzInput::textOrWord(std::initializer_list<const char*> words, int maxUnits)
{
    const int choice = range(0, int(words.size()));
    if (choice == int(words.size()))
        return text(maxUnits);
    return QString::fromUtf8(words.begin()[choice]);
}

QByteArray FuzzInput::rest()
{
    const QByteArray bytes(reinterpret_cast<const char*>(m_data + m_pos), qsizetype(remaining()));
    m_pos = m_size;
    return bytes;
}

void fuzzFailure(const QString& what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, qUtf8Printable(what));
    std::fflush(stderr);
    std::abort();
}

void ensureFuzzApplication()
{
    if (QCoreApplication::instance())
        return;
    // Qt's warnings about odd input (a colour out of range) are expected by
    // the million; only what is fatal is worth printing.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qUtf8Printable(message));
    });
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

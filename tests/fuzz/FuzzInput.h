#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <initializer_list>

// Reads the values a fuzz target builds its case from out of the fuzzer's
// bytes. Every read succeeds: once the bytes run out, reads answer zero,
// false or empty, so every input is a case and cases stay short.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool atEnd() const { return m_pos >= m_size; }
    size_t remaining() const { return m_size - m_pos; }

    uint8_t byte();
    bool flag() { return byte() & 1; }
    uint32_t u32();
    uint64_t u64();
    // A whole number in [low, high].
    int range(int low, int high);
    // One of the given values.
    template <typename T> T pick(std::initializer_list<T> values)
    {
        return values.begin()[range(0, int(values.size()) - 1)];
    }
    // Any double, NaN and the infinities included.
    double anyDouble();
    // A finite double, mostly of the small sizes that coordinates and settings have.
    double finiteDouble();
    // Text of at most maxUnits UTF-16 units: either UTF-8 (invalid sequences
    // read as replacement characters) or raw UTF-16 units, lone surrogates
    // and control characters included.
    QString text(int maxUnits = 64);
    // Text that is often one of a few short words, so that equal texts (titles
    // that match script names, repeated ids) turn up often.
    QString textOrWord(std::initializer_list<const char*> words, int maxUnits = 32);
    // Everything not read yet.
    QByteArray rest();

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// A property of the target does not hold: prints what and where, then aborts,
// which the fuzzer reports as a crash with the input that caused it and the
// replay test as a failure.
[[noreturn]] void fuzzFailure(const QString& what, const char* file, int line);

// Checks a property; the message is built only when it does not hold.
#define FUZZ_CHECK(condition, message)                                                             \
    do {                                                                                           \
        if (!(condition))                                                                          \
            fuzzFailure((message), __FILE__, __LINE__);                                            \
    } while (false)

// The Qt application object some facilities need (posted events, timers),
// created at the first call and kept for the process; Qt's warnings and
// debug output are silenced from then on.
void ensureFuzzApplication();

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

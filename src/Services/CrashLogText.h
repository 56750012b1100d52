#pragma once

#include <QString>

#include <optional>

class QIODevice;

// The text of a crash log as the crash report carries it: UTF-8, cut to a
// number of user-perceived characters (grapheme clusters), never inside one.
namespace CrashLogText {

// Bytes read at most per character asked for. Far more than any real log
// needs (a crash log is mostly ASCII), yet it bounds what a pathological file
// (one endless cluster of combining marks) can make us hold.
constexpr qint64 maxBytesPerCharacter = 32;

// The first `maxCharacters` characters of `text`, or all of it when shorter.
QString prefix(const QString& text, qsizetype maxCharacters);

// Reads the device as UTF-8 until it holds more than `maxCharacters`
// characters (or up to the byte bound, or the end) and returns the first
// `maxCharacters` of them. No value when a read fails or the bytes read are
// not valid UTF-8 (a sequence cut off by the end of the device included).
// Bytes beyond what the result needs are never read.
std::optional<QString> read(QIODevice& device, qsizetype maxCharacters);

} // namespace CrashLogText

#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <variant>

class QImage;

// Why a file was not written: its path and the reason, as the system gives it
// ("No space left on device", "File too large").
struct FileWriteError {
    QString path;
    QString cause;

    QString description() const;
};

// Whole-file writes that land complete or change nothing. For a regular file,
// or a path where nothing is yet, the bytes go to a temporary file beside the
// final name, which takes that name only once every byte has reached the disk:
// after any failure the file at the path is exactly as it was and no temporary
// file is left, and a process killed mid-write never leaves part of a file
// under the final name. The folder must exist.
//
// A path that names something else, once links are followed (a FIFO, a
// terminal or another device, a /dev/fd or /proc/self/fd link to a pipe), is
// written to directly, with the same checked counts: a reader waits on it, so
// nothing is created beside it and nothing replaces it, and a failure can
// leave part of the bytes delivered. A reader that has gone away fails the
// write with "Broken pipe", unless SIGPIPE ends the process first: a caller
// that writes into pipes ignores that signal.
//
// Safe from any thread.
namespace AtomicFile {

// None once the file holds exactly the bytes.
std::optional<FileWriteError> write(const QString& path, const QByteArray& bytes);

// The image as PNG bytes, encoded in memory so that the encoder never sees
// the disk and reports nothing of its own; else the encoder's reason (a null
// image, say).
std::variant<QByteArray, QString> encodePng(const QImage& image);

// The image encoded as above, then written as above.
std::optional<FileWriteError> writePng(const QString& path, const QImage& image);

// The longest file name, in bytes, that write() can both create and replace
// in the folder: the folder's own limit less what the temporary name adds.
qsizetype longestName(const QString& folder);

} // namespace AtomicFile

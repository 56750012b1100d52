#include "Platform/AtomicFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

QString FileWriteError::description() const
{
    return QCoreApplication::translate("FileWriteError", "Could not write “%1”: %2.")
        .arg(QDir::toNativeSeparators(path), cause);
}

namespace {

// QSaveFile's temporary name is the file's own followed by this. On Linux a
// new file goes in under its own name, but one that is there already is
// replaced by way of the temporary name, so every name written leaves room
// for it.
constexpr char temporaryNameSuffix[] = ".XXXXXX";
// Bytes in a file name, where the folder does not say.
constexpr qsizetype defaultNameLimit = 255;

// Every count is checked and the rest written again until the system names
// its reason: an unbuffered write that stops short (a full disk, the
// file-size limit, a reader that has gone) returns the short count and
// records no error.
std::optional<QString> writeAll(QFileDevice& file, const QByteArray& bytes)
{
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return file.errorString();
        done += written;
    }
    return std::nullopt;
}

bool isSomethingOtherThanAFile(const QString& path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && !S_ISREG(status.st_mode);
}

// A FIFO, a device or a pipe behind a link: whoever reads it holds it open,
// so it is written as it is. It must still be there: a path that went in
// the meantime is not created as a plain file.
std::optional<FileWriteError> writeInPlace(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered | QIODevice::ExistingOnly))
        return FileWriteError{path, file.errorString()};
    if (const std::optional<QString> cause = writeAll(file, bytes))
        return FileWriteError{path, *cause};
    return std::nullopt;
}

} // namespace

namespace AtomicFile {

std::optional<FileWriteError> write(const QString& path, const QByteArray& bytes)
{
    if (isSomethingOtherThanAFile(path))
        return writeInPlace(path, bytes);

    // QSaveFile alone would rename a cut-off file over the old one: besides
    // the short counts, commit() ignores a failed flush of its buffer and a
    // failed sync. So the file is unbuffered, each count is checked, and the
    // data is synced before the rename.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return FileWriteError{path, file.errorString()};
    const auto fail = [&file, &path](const QString& cause) {
        file.cancelWriting();
        return FileWriteError{path, cause};
    };
    if (const std::optional<QString> cause = writeAll(file, bytes))
        return fail(*cause);
    if (::fdatasync(file.handle()) != 0)
        return fail(qt_error_string(errno));
    if (!file.commit())
        return FileWriteError{path, file.errorString()};
    return std::nullopt;
}

std::variant<QByteArray, QString> encodePng(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter encoder(&buffer, "png");
    if (!encoder.write(image))
        return encoder.errorString();
    return png;
}

std::optional<FileWriteError> writePng(const QString& path, const QImage& image)
{
    std::variant<QByteArray, QString> png = encodePng(image);
    if (const QString* cause = std::get_if<QString>(&png))
        return FileWriteError{path, *cause};
    return write(path, std::get<QByteArray>(png));
}

qsizetype longestName(const QString& folder)
{
    const long limit = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return (limit > 0 ? qsizetype(limit) : defaultNameLimit) -
           qsizetype(sizeof(temporaryNameSuffix) - 1);
}

} // namespace AtomicFile

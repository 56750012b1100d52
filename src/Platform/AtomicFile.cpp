#include "Platform/AtomicFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

#include <cerrno>

#include <unistd.h>

QString FileWriteError::description() const
{
    return QCoreApplication::translate("FileWriteError", "Could not write “%1”: %2.")
        .arg(QDir::toNativeSeparators(path), cause);
}

namespace AtomicFile {

std::optional<FileWriteError> write(const QString& path, const QByteArray& bytes)
{
    // QSaveFile alone would rename a cut-off file over the old one: a write
    // that stops short (a full disk, the file-size limit) returns the short
    // count and records no error, and commit() ignores a failed flush of its
    // buffer and a failed sync. So the file is unbuffered, each count is
    // checked, the rest is written again until the system names its reason,
    // and the data is synced before the rename.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return FileWriteError{path, file.errorString()};
    const auto fail = [&file, &path](const QString& cause) {
        file.cancelWriting();
        return FileWriteError{path, cause};
    };
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return fail(file.errorString());
        done += written;
    }
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

} // namespace AtomicFile

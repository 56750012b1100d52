#include "XdgLoginItems.h"

#include "Platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace {

// An Exec= value that starts exactly this program: quoted when it holds a
// reserved character, then escaped as a desktop-entry string (backslashes and
// control characters).
QString execValue(const QString& program)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool needsQuotes =
        std::any_of(program.cbegin(), program.cend(), [](QChar c) { return reserved.contains(c); });
    QString value = program;
    if (needsQuotes) {
        QString quoted;
        for (QChar c : program) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        value = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    // A raw line break would end the Exec line and start a line of its own.
    value.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    value.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    value.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    value.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return value;
}

bool isHidden(const QString& entryPath)
{
    QFile file(entryPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0 && line.left(equals).trimmed() == QLatin1String("Hidden"))
            return line.mid(equals + 1).trimmed() == QLatin1String("true");
    }
    return false;
}

} // namespace

XdgLoginItems::XdgLoginItems(QString executablePath, QString entryPath)
    : m_executablePath(std::move(executablePath)), m_entryPath(std::move(entryPath))
{
}

QString XdgLoginItems::defaultEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/tessel-nav.desktop");
}

LoginItemStatus XdgLoginItems::status() const
{
    if (!QFileInfo::exists(m_entryPath) || isHidden(m_entryPath))
        return LoginItemStatus::notRegistered;
    return LoginItemStatus::enabled;
}

std::optional<LoginItemError> XdgLoginItems::registerMainApp()
{
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Tessel Nav\n"
                                        "Exec=%1\n")
                             .arg(execValue(m_executablePath));
    QDir().mkpath(QFileInfo(m_entryPath).absolutePath());
    if (const std::optional<FileWriteError> error = AtomicFile::write(m_entryPath, text.toUtf8()))
        return LoginItemError{QStringLiteral("Could not write the autostart entry %1: %2.")
                                  .arg(m_entryPath, error->cause)};
    return std::nullopt;
}

std::optional<LoginItemError> XdgLoginItems::unregisterMainApp()
{
    QFile file(m_entryPath);
    if (!file.exists() || file.remove())
        return std::nullopt;
    return LoginItemError{QStringLiteral("Could not remove the autostart entry %1: %2.")
                              .arg(m_entryPath, file.errorString())};
}

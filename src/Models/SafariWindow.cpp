#include "SafariWindow.h"

#include <QDir>
#include <QStringView>
#include <QTextBoundaryFinder>

#include <cmath>
#include <limits>

namespace {

// Drops the fraction toward zero; non-finite or out-of-range origins clamp
// instead of invoking undefined behaviour.
qint64 truncatedCoordinate(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double twoToThe63 = 9223372036854775808.0; // exactly representable
    if (value >= twoToThe63)
        return std::numeric_limits<qint64>::max();
    if (value < -twoToThe63)
        return std::numeric_limits<qint64>::min();
    return qint64(std::trunc(value));
}

int graphemeCount(const QString& text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

} // namespace

QString windowServerWindowId(quint32 windowID)
{
    return QStringLiteral("cg-") + QString::number(windowID);
}

QString SafariWindow::id() const
{
    if (isDocument())
        return QStringLiteral("doc-") + browser.rawValue() + QLatin1Char('-') + *scriptWindowID;
    if (windowID)
        return windowServerWindowId(*windowID);
    if (!scriptWindowID) {
        return QStringLiteral("ax-") + QString::number(pid) + QLatin1Char('-') + title +
               QLatin1Char('-') + QString::number(truncatedCoordinate(frame.x())) +
               QLatin1Char('-') + QString::number(truncatedCoordinate(frame.y()));
    }
    return QStringLiteral("as-") + browser.rawValue() + QLatin1Char('-') + *scriptWindowID;
}

std::optional<QString> SafariWindow::domain() const
{
    if (!tabURL)
        return std::nullopt;
    if (tabURL->isLocalFile()) {
        QString path = tabURL->toLocalFile();
        // Folder URLs end in a slash; the shown path does not, so the
        // Documents folder reads ~/Documents.
        if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
            path.chop(1);
        // Whole folder names only: /home/alice is not inside /home/al.
        const QString home = QDir::homePath();
        if (path == home || path.startsWith(home + QLatin1Char('/')))
            path.replace(0, home.size(), QStringLiteral("~"));
        return path;
    }
    QString host = tabURL->host();
    if (host.isEmpty())
        return std::nullopt;
    if (host.startsWith(QLatin1String("www.")))
        host.remove(0, 4);
    return host;
}

std::optional<QString> SafariWindow::profileName() const
{
    if (browser != Browser::safari)
        return std::nullopt;
    const qsizetype separator = title.indexOf(QStringLiteral(" \u2014 "));
    if (separator < 0)
        return std::nullopt;
    const QString prefix = title.left(separator);
    if (prefix.isEmpty() || graphemeCount(prefix) >= 25)
        return std::nullopt;
    if (prefix.contains(QLatin1Char('|')) || prefix.contains(QLatin1Char('/')) ||
        prefix.contains(QLatin1Char('.')))
        return std::nullopt;
    return prefix;
}

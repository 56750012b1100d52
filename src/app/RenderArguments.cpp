#include "app/RenderArguments.h"

#include <QLocale>

namespace RenderArguments {

namespace {

std::optional<QString> pathAfter(const QStringList& arguments, const QString& option)
{
    const qsizetype at = arguments.indexOf(option);
    if (at < 0 || at + 1 >= arguments.size())
        return std::nullopt;
    return arguments.at(at + 1);
}

QString number(double value)
{
    // Adding zero turns a negative zero into a positive one.
    return QString::number(value + 0.0, 'f', QLocale::FloatingPointShortest);
}

} // namespace

std::optional<RenderRequest> parse(const QStringList& arguments)
{
    if (std::optional<QString> path = pathAfter(arguments, viewOption))
        return RenderRequest{RenderRequest::Kind::view, *path};
    if (std::optional<QString> path = pathAfter(arguments, windowOption))
        return RenderRequest{RenderRequest::Kind::window, *path};
    return std::nullopt;
}

QString platformList(const QString& requested, bool hasX11Display, bool hasWaylandDisplay)
{
    const QString offscreen = QStringLiteral("offscreen");
    if (!requested.isEmpty()) {
        if (requested.split(QLatin1Char(';')).contains(offscreen))
            return requested;
        return requested + QLatin1Char(';') + offscreen;
    }
    QStringList platforms;
    if (hasWaylandDisplay)
        platforms << QStringLiteral("wayland");
    if (hasX11Display || hasWaylandDisplay)
        platforms << QStringLiteral("xcb");
    platforms << offscreen;
    return platforms.join(QLatin1Char(';'));
}

QString rectangleText(const QRectF& rect)
{
    return QStringLiteral("{{%1, %2}, {%3, %4}}")
        .arg(number(rect.x()), number(rect.y()), number(rect.width()), number(rect.height()));
}

QString windowCaptureLine(const QString& path, const QRectF& window, const QRectF& content)
{
    return QStringLiteral("rendered: ") + path + QStringLiteral(" window=") +
           rectangleText(window) + QStringLiteral(" content=") + rectangleText(content);
}

} // namespace RenderArguments

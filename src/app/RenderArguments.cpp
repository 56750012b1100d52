#include "app/RenderArguments.h"

#include <QLocale>

#include <utility>

namespace RenderArguments {

namespace {

QString number(double value)
{
    // Adding zero turns a negative zero into a positive one.
    return QString::number(value + 0.0, 'f', QLocale::FloatingPointShortest);
}

} // namespace

std::optional<std::variant<RenderRequest, MissingRenderPath>> parse(const QStringList& arguments)
{
    using Kind = RenderRequest::Kind;
    for (const auto& [option, kind] :
         {std::pair(viewOption, Kind::view), std::pair(windowOption, Kind::window)}) {
        const qsizetype at = arguments.indexOf(option);
        if (at < 0)
            continue;
        if (at + 1 == arguments.size())
            return MissingRenderPath{option};
        return RenderRequest{kind, arguments.at(at + 1)};
    }
    return std::nullopt;
}

QString usageLine(const MissingRenderPath& missing)
{
    return QStringLiteral("tessel-nav: %1 needs a path. Usage: tessel-nav [%2 PATH | %3 PATH]")
        .arg(missing.option, viewOption, windowOption);
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

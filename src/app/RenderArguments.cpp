#include "app/RenderArguments.h"

namespace RenderArguments {

namespace {

std::optional<QString> pathAfter(const QStringList& arguments, const QString& option)
{
    const qsizetype at = arguments.indexOf(option);
    if (at < 0 || at + 1 >= arguments.size())
        return std::nullopt;
    return arguments.at(at + 1);
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

} // namespace RenderArguments

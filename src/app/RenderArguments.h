#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks the program to render instead of starting.
struct RenderRequest {
    enum class Kind { view, window };
    Kind kind;
    QString path;

    bool operator==(const RenderRequest&) const = default;
};

namespace RenderArguments {

inline const QString viewOption = QStringLiteral("--render-settings");
inline const QString windowOption = QStringLiteral("--render-settings-window");

// The arguments after the program name. Each option is an exact, whole
// argument; its first occurrence counts and the next argument is its path. An
// option with nothing after it counts as absent. The view render wins over
// the window capture. None: start normally.
std::optional<RenderRequest> parse(const QStringList& arguments);

} // namespace RenderArguments

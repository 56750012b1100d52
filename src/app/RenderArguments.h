#pragma once

#include <QRectF>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

// What the command line asks the program to render instead of starting.
struct RenderRequest {
    enum class Kind { view, window };
    Kind kind;
    QString path;

    bool operator==(const RenderRequest&) const = default;
};

// A render option with no path after it: the command line is wrong.
struct MissingRenderPath {
    QString option;

    bool operator==(const MissingRenderPath&) const = default;
};

// The render modes' command-line face: the options they answer to and the
// result lines they print.
namespace RenderArguments {

inline const QString viewOption = QStringLiteral("--render-settings");
inline const QString windowOption = QStringLiteral("--render-settings-window");

// The arguments after the program name. Each option is an exact, whole
// argument; its first occurrence counts and the next argument is its path.
// The view option, where it stands, decides, else the window option: the
// view render wins over the window capture, and an option that is the last
// argument is missing its path. None: start normally.
std::optional<std::variant<RenderRequest, MissingRenderPath>> parse(const QStringList& arguments);

// The one line that tells how the options are used, naming the one that
// lacks its path.
QString usageLine(const MissingRenderPath& missing);

// The platforms a render tries, in order, as QT_QPA_PLATFORM takes them:
// the one asked for (or the desktop's own), then offscreen, so that a render
// also succeeds with no display at all or with one it cannot reach.
QString platformList(const QString& requested, bool hasX11Display, bool hasWaylandDisplay);

// A rectangle as origin and size, each a pair in braces: {{x, y}, {w, h}}.
// Numbers in plain decimal, as few digits as give the value back exactly,
// never an exponent and never a negative zero.
QString rectangleText(const QRectF& rect);

// "rendered: PATH window={{…}} content={{…}}": the window's frame first.
QString windowCaptureLine(const QString& path, const QRectF& window, const QRectF& content);

} // namespace RenderArguments

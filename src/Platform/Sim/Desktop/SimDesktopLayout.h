#pragma once

#include "Platform/Sim/SimModel.h"

#include <QList>
#include <QRectF>
#include <QString>

#include <optional>

// The arithmetic of the simulated desktop window: where the model's screens
// and windows are drawn, which window is in front, and the line printed when
// that changes.
namespace SimDesktopLayout {

// The model's screens in the windows' coordinates (top-left origin, y down,
// the primary screen's top-left corner at (0, 0)).
QList<QRectF> screensTopLeft(const SimModel& model);

// The extent of the model's desktop: its screens, or its windows when it has
// no screen, or one ordinary screen when it has neither.
QRectF desktopBounds(const SimModel& model);

// Fits the model's desktop (its screens, or its windows when it has none)
// into the area, centred and scaled alike both ways.
class Mapping {
public:
    Mapping(const SimModel& model, const QRectF& area);
    QRectF map(const QRectF& frame) const;

private:
    QRectF m_bounds;
    QPointF m_origin;
    double m_scale = 1;
};

struct WindowRef {
    pid_t pid = 0;
    quint64 token = 0;
    friend bool operator==(const WindowRef&, const WindowRef&) = default;
};

// The frontmost app's main window, else its first window that is not
// minimized; none when no app is frontmost or it shows no window.
std::optional<WindowRef> frontmostWindow(const SimModel& model);

// "Frontmost: [<app>] <title>" for a window, "Frontmost: none" without one.
QString frontmostLine(const SimModel& model, const std::optional<WindowRef>& window);

// The order the apps' windows are drawn in, back to front: the given order
// of earlier calls kept, apps no longer running dropped, new ones added
// behind, and the frontmost app moved to the front.
QList<pid_t> stackingOrder(const SimModel& model, const QList<pid_t>& previous);

} // namespace SimDesktopLayout

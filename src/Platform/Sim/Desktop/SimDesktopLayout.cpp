#include "Platform/Sim/Desktop/SimDesktopLayout.h"

#include <algorithm>
#include <cmath>

namespace SimDesktopLayout {

QList<QRectF> screensTopLeft(const SimModel& model)
{
    QList<QRectF> result;
    if (model.screens.isEmpty())
        return result;
    const double primaryHeight = model.screens.first().frame.height();
    for (const SimScreen& screen : model.screens) {
        const QRectF& frame = screen.frame;
        result << QRectF(frame.x(), primaryHeight - frame.y() - frame.height(), frame.width(),
                         frame.height());
    }
    return result;
}

QRectF desktopBounds(const SimModel& model)
{
    QRectF bounds;
    for (const QRectF& screen : screensTopLeft(model))
        bounds = bounds.united(screen);
    if (bounds.isEmpty()) {
        for (const SimInstance& instance : model.instances) {
            for (const SimWindow& window : instance.windows) {
                if (window.frame.isValid())
                    bounds = bounds.united(window.frame);
            }
        }
    }
    // A desktop with nothing to measure is drawn as one ordinary screen.
    if (bounds.isEmpty() || !std::isfinite(bounds.width()) || !std::isfinite(bounds.height()))
        bounds = QRectF(0, 0, 1440, 900);
    return bounds;
}

Mapping::Mapping(const SimModel& model, const QRectF& area) : m_bounds(desktopBounds(model))
{
    m_scale = std::min(area.width() / m_bounds.width(), area.height() / m_bounds.height());
    if (!(m_scale > 0))
        m_scale = 1;
    const QSizeF drawn = m_bounds.size() * m_scale;
    m_origin = QPointF(area.x() + (area.width() - drawn.width()) / 2,
                       area.y() + (area.height() - drawn.height()) / 2);
}

QRectF Mapping::map(const QRectF& frame) const
{
    return QRectF(m_origin + (frame.topLeft() - m_bounds.topLeft()) * m_scale,
                  frame.size() * m_scale);
}

std::optional<WindowRef> frontmostWindow(const SimModel& model)
{
    if (!model.frontmostPid)
        return std::nullopt;
    const SimInstance* instance = model.instance(*model.frontmostPid);
    if (!instance)
        return std::nullopt;
    const auto& windows = instance->windows;
    auto it = std::find_if(windows.begin(), windows.end(),
                           [](const SimWindow& w) { return w.main && !w.minimized; });
    if (it == windows.end())
        it = std::find_if(windows.begin(), windows.end(),
                          [](const SimWindow& w) { return !w.minimized; });
    if (it == windows.end())
        return std::nullopt;
    return WindowRef{instance->pid, it->token};
}

QString frontmostLine(const SimModel& model, const std::optional<WindowRef>& window)
{
    if (window) {
        if (const SimInstance* instance = model.instance(window->pid)) {
            for (const SimWindow& candidate : instance->windows) {
                if (candidate.token == window->token)
                    return QStringLiteral("Frontmost: [%1] %2")
                        .arg(instance->name, candidate.title);
            }
        }
    }
    return QStringLiteral("Frontmost: none");
}

QList<pid_t> stackingOrder(const SimModel& model, const QList<pid_t>& previous)
{
    QList<pid_t> order;
    // New apps go behind the ones already drawn, in launch order.
    for (const SimInstance& instance : model.instances) {
        if (!previous.contains(instance.pid))
            order << instance.pid;
    }
    for (pid_t pid : previous) {
        if (model.instance(pid))
            order << pid;
    }
    if (model.frontmostPid && order.removeOne(*model.frontmostPid))
        order << *model.frontmostPid;
    return order;
}

} // namespace SimDesktopLayout

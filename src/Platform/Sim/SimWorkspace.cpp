#include "SimWorkspace.h"

#include "Platform/Sim/SimHost.h"

#include <QPainter>

namespace {

RunningApplication running(const SimInstance& instance)
{
    return RunningApplication{instance.pid, instance.bundleID, instance.name};
}

} // namespace

std::optional<QString> SimWorkspace::urlForApplication(const QString& bundleIdentifier) const
{
    return m_host.read([&](const SimModel& model) -> std::optional<QString> {
        if (const SimApp* app = model.installedApp(bundleIdentifier))
            return app->path;
        return std::nullopt;
    });
}

QImage SimWorkspace::iconForFile(const QString& path) const
{
    const auto app = m_host.read([&](const SimModel& model) -> std::optional<SimApp> {
        for (const SimApp& candidate : model.installedApps) {
            if (candidate.path == path)
                return candidate;
        }
        return std::nullopt;
    });
    // A rounded tile in the app's colour: distinct per app and deterministic.
    QImage icon(64, 64, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor color = app && app->iconColor.isValid() ? app->iconColor : QColor(Qt::gray);
    painter.setBrush(color);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(4, 4, 56, 56), 12, 12);
    return icon;
}

QList<RunningApplication> SimWorkspace::runningApplications(const QString& bundleIdentifier) const
{
    return m_host.read([&](const SimModel& model) {
        QList<RunningApplication> result;
        for (const SimInstance& instance : model.instances) {
            if (instance.bundleID == bundleIdentifier)
                result << running(instance);
        }
        return result;
    });
}

std::optional<RunningApplication> SimWorkspace::runningApplication(pid_t pid) const
{
    return m_host.read([&](const SimModel& model) -> std::optional<RunningApplication> {
        if (const SimInstance* instance = model.instance(pid))
            return running(*instance);
        return std::nullopt;
    });
}

std::optional<RunningApplication> SimWorkspace::frontmostApplication() const
{
    return m_host.read([&](const SimModel& model) -> std::optional<RunningApplication> {
        if (!model.frontmostPid)
            return std::nullopt;
        if (const SimInstance* instance = model.instance(*model.frontmostPid))
            return running(*instance);
        return std::nullopt;
    });
}

bool SimWorkspace::activate(pid_t pid)
{
    const bool exists =
        m_host.read([&](const SimModel& model) { return model.instance(pid) != nullptr; });
    if (exists)
        m_host.activateApp(pid);
    return exists;
}

bool SimWorkspace::accessibilityDisplayShouldReduceMotion() const
{
    return m_host.read([](const SimModel& model) { return model.reduceMotion; });
}

#include "SimWorkspace.h"

#include "Platform/Sim/SimHost.h"

#include <QGuiApplication>
#include <QLinearGradient>
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
    // A rounded tile in the app's colour with the initial of its name:
    // distinct per app, recognisable at chip size and deterministic.
    QImage icon(64, 64, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QColor color = app && app->iconColor.isValid() ? app->iconColor : QColor(Qt::gray);
    QLinearGradient gradient(0, 4, 0, 60);
    gradient.setColorAt(0, color.lighter(115));
    gradient.setColorAt(1, color.darker(110));
    painter.setBrush(gradient);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(4, 4, 56, 56), 13, 13);
    const QString initial = app ? app->name.left(1).toUpper() : QString();
    // Lettering needs the fonts of a GUI application; a command-line one
    // tells the apps apart by colour alone.
    if (!initial.isEmpty() && qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QFont font(QStringLiteral("Inter"));
        font.setPixelSize(34);
        font.setWeight(QFont::Bold);
        painter.setFont(font);
        // Dark letters on light tiles, white on the rest.
        painter.setPen(color.lightnessF() > 0.7 ? QColor(30, 30, 30) : QColor(Qt::white));
        painter.drawText(QRectF(4, 4, 56, 56), Qt::AlignCenter, initial);
    }
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

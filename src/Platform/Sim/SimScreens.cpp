#include "SimScreens.h"

#include "Platform/Sim/SimHost.h"

QList<ScreenInfo> SimScreens::screens() const
{
    return m_host.read([](const SimModel& model) {
        QList<ScreenInfo> result;
        for (const SimScreen& screen : model.screens)
            result << ScreenInfo{screen.frame, screen.visibleFrame, screen.name};
        return result;
    });
}

std::optional<ScreenInfo> SimScreens::mainScreen() const
{
    const QList<ScreenInfo> all = screens();
    if (all.isEmpty())
        return std::nullopt;
    return all.first();
}

QPointF SimScreens::mouseLocation() const
{
    return m_host.read([](const SimModel& model) { return model.pointer; });
}

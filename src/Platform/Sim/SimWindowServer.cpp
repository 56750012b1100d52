#include "SimWindowServer.h"

#include "Platform/Sim/SimHost.h"
#include "Platform/Sim/SimWindowImage.h"

// The window list arrives with window discovery, the image call with snapshots.
std::optional<QVariantList> SimWindowServer::copyWindowInfo(ListOption, quint32) const
{
    return std::nullopt;
}

QImage SimWindowServer::createWindowImage(quint32 windowID) const
{
    const auto window = m_host.read([&](const SimModel& model) -> std::optional<SimWindow> {
        if (!model.screenRecordingGranted)
            return std::nullopt;
        const SimWindow* found = model.windowWithNumber(windowID);
        if (!found || found->legacyImageFails)
            return std::nullopt;
        return *found;
    });
    if (!window)
        return {};
    // Nominal resolution: one pixel per point.
    return SimWindowImage::render(*window, window->frame.size().toSize());
}

bool SimWindowServer::preflightScreenCaptureAccess() const
{
    return m_host.read([](const SimModel& model) { return model.screenRecordingGranted; });
}

bool SimWindowServer::requestScreenCaptureAccess()
{
    ++m_requestCount;
    return preflightScreenCaptureAccess();
}

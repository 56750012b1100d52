#include "SimWindowServer.h"

#include "Platform/Sim/SimHost.h"

// The window list arrives with window discovery, the image call with snapshots.
std::optional<QVariantList> SimWindowServer::copyWindowInfo(ListOption, quint32) const
{
    return std::nullopt;
}

QImage SimWindowServer::createWindowImage(quint32) const
{
    return {};
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

#include "PermissionsService.h"

#include "Platform/Accessibility.h"
#include "Platform/WindowServer.h"

bool PermissionsService::isAccessibilityTrusted() const
{
    return m_accessibility.isProcessTrusted();
}

bool PermissionsService::requestAccessibility()
{
    return m_accessibility.isProcessTrustedWithPrompt();
}

bool PermissionsService::isScreenRecordingAllowed() const
{
    return m_windowServer.preflightScreenCaptureAccess();
}

void PermissionsService::requestScreenRecording()
{
    m_windowServer.requestScreenCaptureAccess();
}

QString PermissionsService::statusSummary() const
{
    const auto state = [](bool granted) {
        return granted ? QStringLiteral("granted") : QStringLiteral("not granted");
    };
    return QStringLiteral("Accessibility: ") + state(isAccessibilityTrusted()) +
           QStringLiteral("\nScreen Recording: ") + state(isScreenRecordingAllowed());
}

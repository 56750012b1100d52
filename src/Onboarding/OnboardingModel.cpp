#include "Onboarding/OnboardingModel.h"

#include "Models/Browser.h"
#include "Platform/UrlOpener.h"
#include "Platform/Workspace.h"
#include "Services/PermissionsService.h"
#include "Services/SafariMetadataService.h"

#include <QStringList>
#include <QUrl>

OnboardingModel::OnboardingModel(PermissionsService& permissions, SafariMetadataService& metadata,
                                 const Workspace& workspace, UrlOpener& urlOpener,
                                 std::chrono::milliseconds pollInterval, QObject* parent)
    : QObject(parent), m_permissions(permissions), m_metadata(metadata), m_workspace(workspace),
      m_urlOpener(urlOpener)
{
    m_timer.setInterval(pollInterval);
    connect(&m_timer, &QTimer::timeout, this, &OnboardingModel::refresh);
}

void OnboardingModel::refresh()
{
    setAccessibility(m_permissions.isAccessibilityTrusted());
    setScreenRecording(m_permissions.isScreenRecordingAllowed());
}

void OnboardingModel::startPolling()
{
    refresh();
    m_timer.start();
}

void OnboardingModel::stopPolling()
{
    m_timer.stop();
}

void OnboardingModel::requestAccessibility()
{
    m_permissions.requestAccessibility();
}

void OnboardingModel::requestScreenRecording()
{
    m_permissions.requestScreenRecording();
}

void OnboardingModel::testAutomation()
{
    QStringList lines;
    int successes = 0;
    int failures = 0;
    for (const Browser browser : Browser::allCases()) {
        if (!browser.isWindowScriptApp() || !browser.isInstalled(m_workspace))
            continue;
        const QString name = browser.displayName();
        if (m_workspace.runningApplications(browser.bundleID()).isEmpty()) {
            lines << tr("%1: not running, skipped").arg(name);
            continue;
        }
        const auto result = m_metadata.fetchMetadata(browser);
        if (const auto* error = std::get_if<MetadataError>(&result)) {
            lines << QStringLiteral("%1: %2").arg(name, error->description());
            ++failures;
        } else {
            const qsizetype count = std::get<QList<WindowMetadata>>(result).size();
            lines << (count == 1 ? tr("%1: %2 window \u2713") : tr("%1: %2 windows \u2713"))
                         .arg(name)
                         .arg(count);
            ++successes;
        }
    }

    const bool passed = successes > 0 && failures == 0;
    if (passed != m_automationOK) {
        m_automationOK = passed;
        emit automationOKChanged();
    }
    m_automationResult = lines.isEmpty() ? tr("No scriptable browsers installed.")
                                         : lines.join(QStringLiteral("  \u00b7  "));
    emit automationResultChanged();
}

void OnboardingModel::openPane(const QString& anchor)
{
    const QUrl url(QStringLiteral("x-apple.systempreferences:com.apple.preference.security?") +
                       anchor,
                   QUrl::StrictMode);
    if (url.isValid())
        m_urlOpener.open(url);
}

void OnboardingModel::setAccessibility(bool value)
{
    if (value == m_accessibility)
        return;
    m_accessibility = value;
    emit accessibilityChanged();
}

void OnboardingModel::setScreenRecording(bool value)
{
    if (value == m_screenRecording)
        return;
    m_screenRecording = value;
    emit screenRecordingChanged();
}

#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <optional>

class PermissionsService;
class SafariMetadataService;
class UrlOpener;
class Workspace;

// The permissions setup window's state: the two permissions it polls, and the
// outcome of the last Automation test. Main thread only.
class OnboardingModel final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool accessibility READ accessibility NOTIFY accessibilityChanged)
    Q_PROPERTY(bool screenRecording READ screenRecording NOTIFY screenRecordingChanged)
    Q_PROPERTY(std::optional<QString> automationResult READ automationResult NOTIFY
                   automationResultChanged)
    Q_PROPERTY(bool automationOK READ automationOK NOTIFY automationOKChanged)
public:
    static constexpr std::chrono::milliseconds defaultPollInterval{1500};

    // The services must outlive the model.
    OnboardingModel(PermissionsService& permissions, SafariMetadataService& metadata,
                    const Workspace& workspace, UrlOpener& urlOpener,
                    std::chrono::milliseconds pollInterval = defaultPollInterval,
                    QObject* parent = nullptr);

    bool accessibility() const { return m_accessibility; }
    bool screenRecording() const { return m_screenRecording; }
    // None until the first test.
    std::optional<QString> automationResult() const { return m_automationResult; }
    bool automationOK() const { return m_automationOK; }

    // Reads both permissions from the host now.
    void refresh();
    // Refreshes at once, then every poll interval until stopPolling().
    void startPolling();
    void stopPolling();

    // Ask the host to show its prompts; the next poll sees the outcome.
    void requestAccessibility();
    void requestScreenRecording();

    // Runs the window-list script of every running window-script app, one
    // after another on this thread (each may take up to the script time-out).
    void testAutomation();

    // Opens the host's privacy pane for the anchor ("Privacy_Accessibility",
    // "Privacy_ScreenCapture", "Privacy_Automation"); nothing when the URL
    // built from it does not parse.
    void openPane(const QString& anchor);

    // For tests and benchmarks: the product never calls these.
    bool isPolling() const { return m_timer.isActive(); }

signals:
    void accessibilityChanged();
    void screenRecordingChanged();
    void automationResultChanged();
    void automationOKChanged();

private:
    void setAccessibility(bool value);
    void setScreenRecording(bool value);

    PermissionsService& m_permissions;
    SafariMetadataService& m_metadata;
    const Workspace& m_workspace;
    UrlOpener& m_urlOpener;

    bool m_accessibility = false;
    bool m_screenRecording = false;
    std::optional<QString> m_automationResult;
    bool m_automationOK = false;
    QTimer m_timer;
};

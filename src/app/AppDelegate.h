#pragma once

#include "Models/Browser.h"
#include "Onboarding/OnboardingModel.h"
#include "Platform/Platform.h"
#include "Platform/StandardOutput.h"
#include "Platform/StatusBar.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class Alerts;
class CrashReporter;
class EventMonitors;
class HotkeyService;
class MenuPanelController;
class OnboardingWindowController;
class OverlayController;
class PermissionsService;
class PreferencesService;
class RecentWindowTracker;
class SafariMetadataService;
class SafariWindowService;
class ScriptGuard;
class SettingsWindowController;
class SnapshotService;
class StatusMenu;
class WindowFocusService;
struct MenuActions;

// What the application is given by the program entry: the host facilities,
// the alert facility, the status bar, the event monitors, the crash reporter,
// where its lines go and how it ends.
struct AppEnvironment {
    Platform platform;
    Alerts& alerts;
    StatusBar& statusBar;
    EventMonitors& eventMonitors;
    CrashReporter& crashReporter;
    std::function<void(const QString& line)> printLine = StandardOutput::printLine;
    // Ends the program: the event loop returns and the process exits.
    std::function<void()> terminate;
};

// The delays of the launch sequence, shortened by tests.
struct AppTimings {
    std::chrono::milliseconds launchAttemptsReset{30000};
    std::chrono::milliseconds warmUp{2000};
    std::chrono::milliseconds hotkeyRetry{5000};
    std::chrono::milliseconds permissionPolling = OnboardingModel::defaultPollInterval;
};

// The spine of the running program. Creating it builds the long-lived
// services; launching runs the crash-loop guard, puts up the status item,
// connects the global shortcut to the switcher and warms the snapshot cache.
// It creates every controller at first use and answers the commands of the
// menu panel and the status menu. Main thread only.
class AppDelegate final : public QObject {
    Q_OBJECT
public:
    static inline const QString launchAttemptsKey = QStringLiteral("launchAttempts");
    // The launch counter's new value given what "launchAttempts" holds.
    static qint64 launchAttemptsAfter(std::optional<double> stored);

    explicit AppDelegate(AppEnvironment environment, AppTimings timings = {},
                         QObject* parent = nullptr);
    ~AppDelegate() override;

    // The launch sequence, once the event loop is about to run.
    void applicationDidFinishLaunching();
    // An orderly end (Quit, the desktop's close request, a termination
    // signal), once the event loop has returned: clears the launch count and
    // puts every setting on disk.
    void applicationWillTerminate();
    // Fills the shortcut's providers and callbacks and starts its event tap.
    void setupHotkey();

    void showSwitcher();
    void showSettings();
    void showOnboarding();
    void quit();
    // A modal informational alert, in front of every other application.
    void showInfo(const QString& title, const QString& text);
    void statusItemClicked(const StatusItemClick& click);

    // Objects it owns, each created by its call at first use.
    RecentWindowTracker& recentTracker();
    OverlayController& overlayController();
    OnboardingWindowController& onboardingWindowController();
    SettingsWindowController& settingsWindowController();
    MenuPanelController& menuPanel();

    // The frontmost application as a supported app, when it is one of the
    // enabled apps.
    std::optional<Browser> frontmostEnabledBrowser() const;

    // For tests and benchmarks: the product never calls these.
    ScriptGuard& scriptGuard() { return *m_scriptGuard; }
    SnapshotService& snapshotService() { return *m_snapshotService; }
    HotkeyService& hotkeyService() { return *m_hotkeyService; }
    PreferencesService& preferences() { return *m_preferences; }
    StatusMenu* statusMenu() const { return m_statusMenu.get(); }
    bool hasOverlayController() const { return m_overlayController != nullptr; }

private:
    void resetLaunchAttempts();
    void createStatusItem();
    void popUpStatusMenu();
    void warmUp();
    MenuActions menuActions();

    AppEnvironment m_environment;
    AppTimings m_timings;
    // Process-wide: every script of every service goes through this guard.
    std::unique_ptr<ScriptGuard> m_scriptGuard;
    std::unique_ptr<SafariWindowService> m_windowService;
    std::unique_ptr<SafariMetadataService> m_metadataService;
    std::unique_ptr<SnapshotService> m_snapshotService;
    std::unique_ptr<WindowFocusService> m_focusService;
    std::unique_ptr<PermissionsService> m_permissionsService;
    std::unique_ptr<HotkeyService> m_hotkeyService;
    std::unique_ptr<PreferencesService> m_preferences;
    std::unique_ptr<BrowserIconCache> m_icons;
    std::unique_ptr<RecentWindowTracker> m_recentTracker;
    std::unique_ptr<OverlayController> m_overlayController;
    std::unique_ptr<OnboardingWindowController> m_onboardingWindowController;
    std::unique_ptr<SettingsWindowController> m_settingsWindowController;
    std::unique_ptr<MenuPanelController> m_menuPanel;
    std::unique_ptr<StatusItem> m_statusItem;
    std::unique_ptr<StatusMenu> m_statusMenu;
};

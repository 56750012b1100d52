#include "app/AppDelegate.h"

#include "Brand/Symbols.h"
#include "MenuBar/MenuActions.h"
#include "MenuBar/MenuPanelController.h"
#include "MenuBar/StatusMenu.h"
#include "Onboarding/OnboardingWindowController.h"
#include "Overlay/OverlayController.h"
#include "Platform/Accessibility.h"
#include "Platform/Alerts.h"
#include "Platform/ScreenCoordinates.h"
#include "Platform/UserDefaults.h"
#include "Platform/Workspace.h"
#include "Services/CrashReporter.h"
#include "Services/HotkeyService.h"
#include "Services/PermissionsService.h"
#include "Services/PreferencesService.h"
#include "Services/RecentWindowTracker.h"
#include "Services/SafariMetadataService.h"
#include "Services/SafariWindowService.h"
#include "Services/ScriptGuard.h"
#include "Services/SnapshotService.h"
#include "Services/WindowFocusService.h"
#include "Settings/SettingsWindowController.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace {

const QString menuBarIconResource = QStringLiteral(":/brand/MenuBarIcon.png");
constexpr double statusIconSide = 18;

// The icon at 18 × 18 points, drawn with two pixels per point.
QImage statusIcon()
{
    QImage image(menuBarIconResource);
    if (image.isNull())
        return image;
    image = image.scaled(int(statusIconSide * 2), int(statusIconSide * 2), Qt::KeepAspectRatio,
                         Qt::SmoothTransformation);
    image.setDevicePixelRatio(2);
    return image;
}

} // namespace

qint64 AppDelegate::launchAttemptsAfter(std::optional<double> stored)
{
    // Whole launches, as an integer read of the default gives them; a value
    // no launch could have written (not finite, beyond any count) is absent.
    const double count = stored.value_or(0);
    const bool plausible = std::isfinite(count) && std::abs(count) < 1e15;
    return (plausible ? qint64(count) : 0) + 1;
}

AppDelegate::AppDelegate(AppEnvironment environment, AppTimings timings, QObject* parent)
    : QObject(parent), m_environment(std::move(environment)), m_timings(timings)
{
    Platform& platform = m_environment.platform;
    m_scriptGuard =
        std::make_unique<ScriptGuard>(platform.appleScript, platform.systemLog, platform.clock);
    m_windowService = std::make_unique<SafariWindowService>(platform);
    m_metadataService = std::make_unique<SafariMetadataService>(platform, *m_scriptGuard);
    m_snapshotService = std::make_unique<SnapshotService>(platform.screenCapture,
                                                          platform.windowServer, platform.clock);
    m_focusService = std::make_unique<WindowFocusService>(platform, *m_scriptGuard);
    m_permissionsService =
        std::make_unique<PermissionsService>(platform.accessibility, platform.windowServer);
    m_hotkeyService = std::make_unique<HotkeyService>(platform.eventTap, platform.systemLog,
                                                      m_timings.hotkeyRetry);
    m_preferences = std::make_unique<PreferencesService>(platform.defaults, platform.workspace,
                                                         platform.loginItems, platform.systemLog);
    m_icons = std::make_unique<BrowserIconCache>(platform.workspace);
}

AppDelegate::~AppDelegate()
{
    // The services go before the guard; one of them may be waiting out a
    // hung app's script, which must not hold up the quit.
    m_scriptGuard->close();
}

RecentWindowTracker& AppDelegate::recentTracker()
{
    if (!m_recentTracker)
        m_recentTracker = std::make_unique<RecentWindowTracker>(m_environment.platform);
    return *m_recentTracker;
}

OverlayController& AppDelegate::overlayController()
{
    if (!m_overlayController) {
        Platform& platform = m_environment.platform;
        RecentWindowTracker& tracker = recentTracker();
        m_overlayController = std::make_unique<OverlayController>(
            *m_windowService, *m_metadataService, *m_snapshotService, *m_focusService,
            *m_preferences, tracker,
            OverlayEnvironment{platform.screens, platform.workspace, *m_icons});
    }
    return *m_overlayController;
}

OnboardingWindowController& AppDelegate::onboardingWindowController()
{
    if (!m_onboardingWindowController) {
        Platform& platform = m_environment.platform;
        m_onboardingWindowController =
            std::make_unique<OnboardingWindowController>(std::make_unique<OnboardingModel>(
                *m_permissionsService, *m_metadataService, platform.workspace, platform.urlOpener,
                m_timings.permissionPolling));
    }
    return *m_onboardingWindowController;
}

SettingsWindowController& AppDelegate::settingsWindowController()
{
    if (!m_settingsWindowController) {
        Platform& platform = m_environment.platform;
        QPointer<AppDelegate> self(this);
        m_settingsWindowController = std::make_unique<SettingsWindowController>(
            *m_preferences,
            [self] {
                if (self)
                    self->showOnboarding();
            },
            OverlayEnvironment{platform.screens, platform.workspace, *m_icons});
    }
    return *m_settingsWindowController;
}

MenuPanelController& AppDelegate::menuPanel()
{
    if (!m_menuPanel) {
        Platform& platform = m_environment.platform;
        m_menuPanel = std::make_unique<MenuPanelController>(
            menuActions(), platform.screens, platform.workspace, m_environment.eventMonitors,
            platform.clock);
    }
    return *m_menuPanel;
}

MenuActions AppDelegate::menuActions()
{
    QPointer<AppDelegate> self(this);
    MenuActions actions;
    actions.showSwitcher = [self] {
        if (!self)
            return;
        self->menuPanel().hide();
        self->showSwitcher();
    };
    actions.showSettings = [self] {
        if (!self)
            return;
        self->menuPanel().hide();
        self->showSettings();
    };
    actions.showPermissions = [self] {
        if (!self)
            return;
        self->menuPanel().hide();
        self->showOnboarding();
    };
    actions.quit = m_environment.terminate;
    return actions;
}

void AppDelegate::applicationDidFinishLaunching()
{
    UserDefaults& defaults = m_environment.platform.defaults;
    const qint64 attempts = launchAttemptsAfter(defaults.number(launchAttemptsKey));
    defaults.set(launchAttemptsKey, attempts);
    // On disk before anything else can end this launch, or a launch that
    // dies young would not add up.
    defaults.synchronize();
    if (attempts >= 3) {
        m_scriptGuard->setSafeMode(true);
        m_environment.printLine(
            QStringLiteral(
                "Safe mode: %1 rapid launch attempts — scripting benched for this session.")
                .arg(attempts));
    }
    // A process that lives this long, or ends in order, clears the count, so
    // only launches that die young add up to safe mode.
    QTimer::singleShot(m_timings.launchAttemptsReset, this, &AppDelegate::resetLaunchAttempts);

    m_environment.crashReporter.checkForCrashes();
    createStatusItem();
    setupHotkey();
    m_environment.printLine(QStringLiteral("Tessel Nav launched. ") +
                            m_permissionsService->statusSummary());
    if (!m_permissionsService->isAccessibilityTrusted())
        showOnboarding();

    QPointer<AppDelegate> self(this);
    QTimer::singleShot(m_timings.warmUp, [self] {
        if (self)
            self->warmUp();
    });
}

void AppDelegate::applicationWillTerminate()
{
    // A person who quits and reopens the program, as the setup window and
    // the Screen Recording alert ask, must not land in safe mode.
    resetLaunchAttempts();
    // Every setting on disk now, before the services are taken down: their
    // queues and the thumbnail writer may keep the end waiting, and a second
    // Ctrl+C meanwhile ends the program at once.
    m_environment.platform.defaults.synchronize();
}

void AppDelegate::resetLaunchAttempts()
{
    m_environment.platform.defaults.set(launchAttemptsKey, 0);
}

void AppDelegate::warmUp()
{
    if (m_scriptGuard->safeMode() || !m_permissionsService->isAccessibilityTrusted())
        return;
    const QList<Browser> enabled = m_preferences->enabledBrowsersOrdered();
    recentTracker().ensureObserving(enabled);
    if (!m_permissionsService->isScreenRecordingAllowed() || !m_preferences->showWindowPreviews())
        return;
    QList<SafariWindow> windows;
    for (Browser browser : enabled)
        windows += m_windowService->discoverWindows(browser);
    // Only the snapshot caches are filled; the switcher's first showing reads them.
    m_snapshotService->refreshSnapshots(windows);
}

void AppDelegate::createStatusItem()
{
    m_statusItem = m_environment.statusBar.createSquareItem();
    const QImage icon = statusIcon();
    if (!icon.isNull()) {
        m_statusItem->setImage(icon, true);
    } else {
        m_statusItem->setImage(
            Symbols::pixmap(QStringLiteral("leaf"), statusIconSide, Qt::black, 2).toImage(), true);
        m_statusItem->setAccessibilityDescription(QStringLiteral("Tessel Nav"));
    }

    QPointer<AppDelegate> self(this);
    const auto command = [self](void (AppDelegate::*member)()) {
        return [self, member] {
            if (self)
                (self.data()->*member)();
        };
    };
    StatusMenu::Commands commands;
    commands.showSwitcher = command(&AppDelegate::showSwitcher);
    commands.showSettings = command(&AppDelegate::showSettings);
    commands.showOnboarding = command(&AppDelegate::showOnboarding);
    commands.quit = command(&AppDelegate::quit);
    commands.showInfo = [self](const QString& title, const QString& text) {
        if (self)
            self->showInfo(title, text);
    };
    commands.printLine = m_environment.printLine;
    Platform& platform = m_environment.platform;
    m_statusMenu = std::make_unique<StatusMenu>(
        StatusMenu::Services{*m_windowService, *m_metadataService, *m_snapshotService,
                             *m_focusService, *m_permissionsService, *m_preferences,
                             platform.workspace, platform.urlOpener},
        std::move(commands));

    m_statusItem->setClickHandler([self](const StatusItemClick& click) {
        if (self)
            self->statusItemClicked(click);
    });
}

void AppDelegate::statusItemClicked(const StatusItemClick& click)
{
    if (click.button == StatusItemClick::Button::right || click.controlHeld) {
        menuPanel().hide();
        popUpStatusMenu();
        return;
    }
    menuPanel().toggle(m_statusItem ? m_statusItem->buttonFrame() : QRectF());
}

void AppDelegate::popUpStatusMenu()
{
    if (!m_statusMenu)
        return;
    const QRectF frame = m_statusItem ? m_statusItem->buttonFrame() : QRectF();
    const QScreen* primary = QGuiApplication::primaryScreen();
    QPoint at = QCursor::pos();
    if (!frame.isEmpty() && primary) {
        const QRectF button = ScreenCoordinates::toTopLeft(frame, QRectF(primary->geometry()));
        at = QPointF(button.x(), button.y() + button.height() + 6).toPoint();
    }
    m_statusMenu->menu()->popup(at);
}

void AppDelegate::setupHotkey()
{
    QPointer<AppDelegate> self(this);
    HotkeyService& hotkey = *m_hotkeyService;
    hotkey.shortcut = [self] {
        return self ? self->m_preferences->shortcutPreset() : ShortcutPreset::optionTab;
    };
    hotkey.isCommandBacktickEnabled = [self] {
        return self && self->m_preferences->enhanceCommandBacktick();
    };
    hotkey.frontmostBrowser = [self]() -> std::optional<Browser> {
        return self ? self->frontmostEnabledBrowser() : std::nullopt;
    };
    hotkey.isOverlayVisible = [self] { return self && self->overlayController().isVisible(); };
    hotkey.onActivate = [self](bool reversed, std::optional<Browser> scope) {
        if (!self)
            return;
        if (!self->m_permissionsService->isAccessibilityTrusted()) {
            self->showOnboarding();
            return;
        }
        OverlayController& overlay = self->overlayController();
        overlay.setActivatedViaHotkey(true);
        overlay.show(reversed ? -1 : 1, scope);
    };
    hotkey.onFilterSelect = [self](int index) {
        if (self)
            self->overlayController().selectFilter(index);
    };
    hotkey.onCycle = [self](bool reversed) {
        if (self)
            self->overlayController().cycle(reversed ? -1 : 1);
    };
    hotkey.onArrow = [self](int step) {
        if (self)
            self->overlayController().cycle(step);
    };
    hotkey.onVerticalArrow = [self](int step) {
        if (self)
            self->overlayController().cycleRow(step);
    };
    hotkey.onType = [self](const QString& text) {
        if (self)
            self->overlayController().type(text);
    };
    hotkey.onBackspace = [self] {
        if (self)
            self->overlayController().backspaceSearch();
    };
    hotkey.onCommit = [self] {
        if (self)
            self->overlayController().commit();
    };
    hotkey.onModifierRelease = [self] {
        if (self)
            self->overlayController().handleModifierRelease();
    };
    hotkey.onCancel = [self] {
        if (self)
            self->overlayController().hide();
    };
    hotkey.startWhenPermitted();
}

std::optional<Browser> AppDelegate::frontmostEnabledBrowser() const
{
    const auto frontmost = m_environment.platform.workspace.frontmostApplication();
    if (!frontmost || frontmost->bundleIdentifier.isEmpty())
        return std::nullopt;
    const auto browser = Browser::from(frontmost->bundleIdentifier);
    if (!browser || !m_preferences->enabledBrowsers().contains(*browser))
        return std::nullopt;
    return browser;
}

void AppDelegate::showSwitcher()
{
    if (m_permissionsService->isAccessibilityTrusted()) {
        OverlayController& overlay = overlayController();
        overlay.setActivatedViaHotkey(false);
        overlay.show(0, std::nullopt);
        return;
    }
    m_permissionsService->requestAccessibility();
    showInfo(StatusMenu::accessibilityNeededTitle(), StatusMenu::accessibilityNeededText());
}

void AppDelegate::showSettings()
{
    settingsWindowController().show();
}

void AppDelegate::showOnboarding()
{
    onboardingWindowController().show();
}

void AppDelegate::quit()
{
    if (m_environment.terminate)
        m_environment.terminate();
}

void AppDelegate::showInfo(const QString& title, const QString& text)
{
    Alert alert;
    alert.style = Alert::Style::informational;
    alert.messageText = title;
    alert.informativeText = text.isEmpty() ? tr("(nothing to show)") : text;
    alert.activatesApplication = true;
    m_environment.alerts.runModal(alert);
}

#include "app/AppDelegate.h"
#include "app/HeapPolicy.h"
#include "app/QtArguments.h"
#include "app/RenderModes.h"
#include "app/RunningCopyLock.h"
#include "app/TerminationSignals.h"

#include "Platform/Clock.h"
#include "Platform/Live/DesktopUrlOpener.h"
#include "Platform/Live/JsonUserDefaults.h"
#include "Platform/Live/QtEventMonitors.h"
#include "Platform/Live/QtScreens.h"
#include "Platform/Live/SyslogSystemLog.h"
#include "Platform/Live/Widgets/MessageBoxAlerts.h"
#include "Platform/Live/Widgets/TrayStatusBar.h"
#include "Platform/Live/XdgLoginItems.h"
#include "Platform/Sim/Desktop/SimDesktopWindow.h"
#include "Platform/Sim/Desktop/SimStatusBar.h"
#include "Platform/Sim/SimKeyMapping.h"
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimPrivacyPaneOpener.h"
#include "Platform/Sim/SimScenario.h"
#include "Services/CrashReporter.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QNetworkAccessManager>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>

#include <csignal>
#include <cstdio>

namespace {

// The host keyboard's key code of a key pressed in one of the program's windows.
std::optional<quint16> hostKeyCode(const QKeyEvent& event)
{
    const std::optional<KeyEvent> key = SimKeyMapping::keyEvent(event);
    if (!key || key->type != CGEventType::keyDown)
        return std::nullopt;
    return key->keyCode;
}

// The normal start: the other apps and their windows come from the simulated
// host, shown in its desktop window; settings, the login item, the log, the
// screens and URL opening are the real ones.
int normalStart(QApplication& app)
{
    // Made first and so gone last: a second Ctrl+C ends the program at once
    // also while the rest is taken down.
    TerminationSignals terminationSignals;

    // A scenario that does not load stops the program before anything starts.
    const QString scenario = qEnvironmentVariable("TESSEL_SIM_SCENARIO");
    SimScenario::Result loaded =
        SimScenario::load(scenario.isEmpty() ? SimScenario::defaultPath() : scenario);
    if (const auto* error = std::get_if<SimScenarioError>(&loaded)) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(error->message));
        return 2;
    }
    SimPlatform host(std::move(std::get<SimModel>(loaded)));

    // Before the settings file or the launch counter is touched, and before
    // any window opens: a second start leaves the running copy alone. Made
    // before the settings store, it is released after the store's last write.
    const RunningCopyLock runningCopy(QFileInfo(JsonUserDefaults::defaultPath()).absolutePath());
    if (runningCopy.heldByAnotherCopy()) {
        StandardOutput::printLine(QStringLiteral("Tessel Nav is already running."));
        return 0;
    }
    if (const std::optional<QString>& report = runningCopy.withoutLockReport())
        std::fprintf(stderr, "%s\n", qUtf8Printable(*report));

    JsonUserDefaults defaults(JsonUserDefaults::defaultPath());
    XdgLoginItems loginItems(QCoreApplication::applicationFilePath());
    SyslogSystemLog systemLog;
    QtScreens screens;
    DesktopUrlOpener desktopUrlOpener;
    // The host's privacy panes are the simulated host's dialogs; folders and
    // web pages open on the real desktop.
    SimPrivacyPaneOpener urlOpener(host.control.prompts(), desktopUrlOpener);
    SystemClock clock;
    MessageBoxAlerts alerts;
    QtEventMonitors monitors(hostKeyCode);
    QNetworkAccessManager network;
    CrashReporter crashReporter(defaults, alerts, network, clock, CrashReporter::productConfig());

    // The status item goes into the desktop's tray where there is one, else
    // into the menu bar of the simulated desktop.
    SimStatusBar desktopStatusBar;
    TrayStatusBar tray;
    const bool hasTray = QSystemTrayIcon::isSystemTrayAvailable();

    SimDesktopWindow desktop(host.host, host.control, desktopStatusBar, StandardOutput::printLine);
    desktop.winId();
    monitors.treatAsOtherApplication(desktop.windowHandle());
    QObject::connect(&desktop, &SimDesktopWindow::mouseDownElsewhere, &monitors,
                     [&monitors](MonitoredEvent::Type type) {
                         monitors.dispatchGlobal(MonitoredEvent{type, 0, nullptr});
                     });
    // The simulated screen going away ends the session, and so do the
    // signals of a logout or a service stop, both as Quit does.
    QObject::connect(&desktop, &SimDesktopWindow::closed, &app, &QCoreApplication::quit);
    QObject::connect(&terminationSignals, &TerminationSignals::received, &app,
                     &QCoreApplication::quit);

    Platform platform{host.accessibility, host.windowServer, host.screenCapture, host.appleScript,
                      host.workspace,     urlOpener,         host.eventTap,      loginItems,
                      defaults,           screens,           systemLog,          clock};
    AppDelegate delegate(AppEnvironment{
        platform, alerts, hasTray ? static_cast<StatusBar&>(tray) : desktopStatusBar, monitors,
        crashReporter, StandardOutput::printLine, [] { QCoreApplication::quit(); }});
    desktop.showCoveringScreen();
    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    const int status = app.exec();
    delegate.applicationWillTerminate();
    return status;
}

} // namespace

int main(int argc, char* argv[])
{
    HeapPolicy::returnLargeBlocksAtOnce();
    // Standard output, or a render's path, may be a pipe whose reader goes
    // away (`| head -n 3`): the write then fails and is dealt with where it
    // is made, rather than SIGPIPE killing the whole process, which in the
    // normal start would also lose the settings it holds and count the run
    // as a failed launch.
    std::signal(SIGPIPE, SIG_IGN);
    // The two render options draw the settings and exit before anything of
    // the normal start exists.
    if (const std::optional<int> status = RenderModes::runIfRequested(argc, argv))
        return *status;

    QtArguments qtArguments(argc, argv);
    QApplication app(qtArguments.argc(), qtArguments.argv());
    // An accessory program: its panels are tool windows with no task-bar
    // entry, and closing a window never ends it; only Quit does.
    app.setQuitOnLastWindowClosed(false);
    return normalStart(app);
}

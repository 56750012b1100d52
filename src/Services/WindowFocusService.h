#pragma once

#include "Models/Browser.h"
#include "Models/SafariWindow.h"

#include <QFuture>
#include <QString>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

struct Platform;
class Accessibility;
class AppleScript;
class ScriptGuard;
class SystemLog;
class Workspace;

// Brings one listed window to the front. A window with an Accessibility
// element is un-minimized, made main and raised on the calling thread; one
// known only from scripting is raised by a script through the shared
// ScriptGuard, or, for a document of an app switched through its Window menu
// (Acrobat), by pressing the document's entry there. Either way the app is then activated.
//
// focus() never waits for another app: scripted work runs on a thread of its
// own per request, and its failures are only logged. The service waits for
// that work when it is destroyed, so the platform and the guard must outlive
// it.
class WindowFocusService {
public:
    static constexpr double scriptTimeoutSeconds = 3.0;
    // How long the Window menu is given to open before its entries are read.
    static constexpr std::chrono::milliseconds windowMenuPause{150};

    WindowFocusService(Platform& platform, ScriptGuard& guard,
                       double scriptTimeout = scriptTimeoutSeconds);
    ~WindowFocusService();
    WindowFocusService(const WindowFocusService&) = delete;
    WindowFocusService& operator=(const WindowFocusService&) = delete;

    // Called on the main thread; returns at once. The future finishes once
    // the request is carried out: at once for a window raised through
    // Accessibility, after its script or its Window-menu walk otherwise.
    QFuture<void> focus(const SafariWindow& window);

    // A script window id as a script refers to it: a whole number as written,
    // anything else as an escaped, quoted text.
    static QString windowReference(const QString& scriptWindowID);
    static QString windowFocusScript(Browser browser, const QString& scriptWindowID);
    static QString documentSwitchScript(Browser browser, const QString& documentName);

    // For tests and benchmarks: the product never calls these.
    // Waits for the background work started so far; false when it is still
    // running after the time-out.
    bool waitForBackgroundWork(std::chrono::milliseconds timeout);

private:
    QFuture<void> runInBackground(std::function<void()> job);
    void runGuarded(const QString& source, Browser browser, const QString& label);
    void focusViaWindowMenu(Browser browser, const QString& documentName, pid_t pid);
    QStringList documentNames(Browser browser);

    Accessibility& m_accessibility;
    AppleScript& m_appleScript;
    Workspace& m_workspace;
    SystemLog& m_systemLog;
    ScriptGuard& m_guard;
    double m_scriptTimeout;

    std::mutex m_jobsMutex;
    std::condition_variable m_jobsDone;
    int m_pendingJobs = 0;
};

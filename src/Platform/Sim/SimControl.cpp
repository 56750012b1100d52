#include "SimControl.h"

#include "Platform/Sim/SimAccessibility.h"
#include "Platform/Sim/SimAppleScript.h"
#include "Platform/Sim/SimEventTap.h"
#include "Platform/Sim/SimHost.h"
#include "Platform/Sim/SimScreenCapture.h"
#include "Platform/Sim/SimWindowServer.h"

bool SimControl::injectKey(const KeyEvent& event)
{
    return m_eventTap.injectKey(event);
}

void SimControl::disableTaps(CGEventType reason)
{
    m_eventTap.disableTaps(reason);
}

int SimControl::tapCount() const
{
    return m_eventTap.tapCount();
}

int SimControl::listeningTapCount() const
{
    return m_eventTap.listeningTapCount();
}

void SimControl::changeScripting(const QString& bundleID,
                                 const std::function<void(SimScripting&)>& change)
{
    m_appleScript.changeScripting(bundleID, change);
}

void SimControl::releaseScripts(const QString& bundleID)
{
    m_appleScript.release(bundleID);
}

int SimControl::heldScriptCount(const QString& bundleID) const
{
    return m_appleScript.runningCount(bundleID);
}

QStringList SimControl::executedScripts() const
{
    return m_appleScript.m_sources.entries();
}

void SimControl::setScriptBuildFails(bool fails)
{
    m_appleScript.m_buildFails = fails;
}

int SimControl::trustPromptCount() const
{
    return m_accessibility.m_promptCount;
}

QStringList SimControl::menuActions(pid_t pid) const
{
    QStringList actions;
    for (const auto& [app, action] : m_accessibility.m_menuActions.entries()) {
        if (app == pid)
            actions << action;
    }
    return actions;
}

int SimControl::focusListenerCount(pid_t pid) const
{
    return m_host.focusListenerCount(pid);
}

void SimControl::setRecording(bool on)
{
    m_appleScript.m_sources.setRecording(on);
    m_accessibility.m_menuActions.setRecording(on);
}

int SimControl::captureAccessRequestCount() const
{
    return m_windowServer.m_requestCount;
}

int SimControl::captureCount() const
{
    return m_screenCapture.m_captureCount;
}

SimHostPrompts& SimControl::prompts()
{
    return m_host.prompts();
}

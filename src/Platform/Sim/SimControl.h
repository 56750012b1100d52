#pragma once

#include "Platform/EventTap.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <sys/types.h>

class SimAccessibility;
class SimAppleScript;
class SimEventTap;
class SimHost;
class SimHostPrompts;
class SimScreenCapture;
class SimWindowServer;
struct SimScripting;

// The control face of the simulated desktop: what tests and the desktop window
// do to it beyond changing its model (SimHost::modify), and what they learn
// from it. It is kept apart from the facilities, whose public members are
// exactly the Platform interfaces the product sees; the product is never
// handed a SimControl.
//
// May be used from any thread, like the facilities, except where noted.
class SimControl {
public:
    SimControl(SimHost& host, SimAccessibility& accessibility, SimAppleScript& appleScript,
               SimEventTap& eventTap, SimWindowServer& windowServer,
               SimScreenCapture& screenCapture)
        : m_host(host), m_accessibility(accessibility), m_appleScript(appleScript),
          m_eventTap(eventTap), m_windowServer(windowServer), m_screenCapture(screenCapture)
    {
    }

    // The keyboard. A key is delivered on the main thread to each listening
    // tap, head first, until one consumes it; from another thread the call
    // waits for the delivery. True when a tap consumed it.
    bool injectKey(const KeyEvent& event);

    // The host's own permission prompts and privacy panes, pending and answered.
    SimHostPrompts& prompts();

    // For tests and benchmarks: the product never calls these.
    // The host disables every enabled tap (a too slow callback: by time-out;
    // secure input: by user input) and tells each through its callback.
    void disableTaps(CGEventType reason);
    // Taps that exist, and those among them that would see an event now.
    int tapCount() const;
    int listeningTapCount() const;

    // Scripting. Changes how every running instance of the app answers.
    void changeScripting(const QString& bundleID, const std::function<void(SimScripting&)>& change);
    // Lets every run now hung or delayed for the app answer at once.
    void releaseScripts(const QString& bundleID);
    // Runs for the app now held back by its delay or hang.
    int heldScriptCount(const QString& bundleID) const;
    // Every text that reached a run while recording (below), in order.
    QStringList executedScripts() const;
    // While set, no text can be made into a script.
    void setScriptBuildFails(bool fails);

    // Accessibility: the trust prompts shown, and the actions performed on the
    // app's menu items while recording, oldest first, as "<action> <item
    // title>" (e.g. "AXPress Window").
    int trustPromptCount() const;
    QStringList menuActions(pid_t pid) const;
    // The focus observers listening to the app now.
    int focusListenerCount(pid_t pid) const;

    // Whether the script texts run and the menu actions performed are kept
    // for the two lists above. Off at first, so that a long run of the
    // program keeps nothing; turning it off forgets what was kept.
    void setRecording(bool on);

    // Screen recording: the permission requests made, and the window captures.
    int captureAccessRequestCount() const;
    int captureCount() const;

private:
    SimHost& m_host;
    SimAccessibility& m_accessibility;
    SimAppleScript& m_appleScript;
    SimEventTap& m_eventTap;
    SimWindowServer& m_windowServer;
    SimScreenCapture& m_screenCapture;
};

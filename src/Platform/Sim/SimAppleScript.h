#pragma once

#include "Platform/AppleScript.h"
#include "Platform/Sim/SimRecorder.h"
#include "Platform/Sim/SimScriptReplies.h"

#include <QHash>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

class SimHost;
struct SimScripting;

// App scripting of the simulated desktop: the run machinery. A text that
// SimScriptRecogniser does not know fails to compile, so a script that is off
// by one character fails loudly; a known one is answered by SimScriptReplies
// on behalf of the first running instance of the addressed bundle, after the
// delay or hang its SimScripting asks for.
//
// Runs may block for a set time or until released through SimControl.
// Destroying this object releases every blocked run and waits for the runs to
// leave, so a hung script never outlives the test that made it hang.
class SimAppleScript final : public AppleScript {
public:
    explicit SimAppleScript(SimHost& host) : m_host(host), m_replies(host) {}
    ~SimAppleScript() override;

    std::optional<AppleScriptProgram> build(const QString& source) const override;
    AppleScriptRun execute(const AppleScriptProgram& program) override;

private:
    friend class SimControl;
    void changeScripting(const QString& bundleID, const std::function<void(SimScripting&)>& change);
    void release(const QString& bundleID);
    int runningCount(const QString& bundleID) const;

    // Holds a run for its app's delay or hang; false when the host closes meanwhile.
    bool wait(const QString& bundleID, const SimScripting& scripting);

    SimHost& m_host;
    SimScriptReplies m_replies;
    std::atomic<bool> m_buildFails{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    QHash<QString, int> m_running;
    // Bumped by release(); a waiting run watches its app's count.
    QHash<QString, quint64> m_releases;
    int m_active = 0;
    bool m_closing = false;
    SimRecorder<QString> m_sources;
};

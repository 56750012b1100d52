#pragma once

#include "Platform/AppleScript.h"

#include <QHash>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

class SimHost;
struct SimScriptMatch;
struct SimScripting;

// App scripting of the simulated desktop. It understands exactly the scripts
// the product sends (window lists of each kind, document lists, Acrobat's
// document and active-document queries, window focus and document switch);
// any other text fails to compile, so a script that is off by one character
// fails loudly. The first running instance of the addressed bundle answers,
// with the behaviour of its SimScripting.
//
// Runs may block for a set time or until released. Destroying this object
// releases every blocked run and waits for the runs to leave, so a hung script
// never outlives the test that made it hang.
class SimAppleScript final : public AppleScript {
public:
    explicit SimAppleScript(SimHost& host) : m_host(host) {}
    ~SimAppleScript() override;

    std::optional<AppleScriptProgram> build(const QString& source) const override;
    AppleScriptRun execute(const AppleScriptProgram& program) override;

    // Control face.
    // Changes how every running instance of the app answers scripts.
    void changeScripting(const QString& bundleID, const std::function<void(SimScripting&)>& change);
    // Lets every run now hung or delayed for the app answer at once.
    void release(const QString& bundleID);
    // Runs for the app now held back by its delay or hang.
    int runningCount(const QString& bundleID) const;
    // Every text that reached execute(), in order.
    QStringList executedSources() const;
    void clearExecutedSources();
    // While set, build() cannot make a script of any text.
    std::atomic<bool> buildFails{false};

private:
    AppleScriptRun answer(const SimScriptMatch& match);
    AppleScriptRun focusWindow(const SimScriptMatch& match);
    AppleScriptRun switchDocument(const SimScriptMatch& match);

    SimHost& m_host;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    QHash<QString, int> m_running;
    QHash<QString, quint64>
        m_releases; // bumped by release(); a waiting run watches its app's count
    int m_active = 0;
    bool m_closing = false;
    QStringList m_sources;
};

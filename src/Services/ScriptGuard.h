#pragma once

#include "Models/Browser.h"
#include "Platform/AppleScript.h"

#include <QDateTime>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <optional>
#include <variant>

class Clock;
class SystemLog;

// The guard's refusal of a script request; the description is shown to users
// as it stands.
struct GuardError {
    enum Kind { benched, busy, timedOut };
    Kind kind;
    Browser browser;

    QString description() const;
    friend bool operator==(const GuardError&, const GuardError&) = default;
};

// What a script run answered: callers test errorInfo first. The descriptor is
// the null descriptor when the run gave no result.
struct GuardedRun {
    AEDescriptor descriptor = AEDescriptor::null();
    std::optional<QVariantMap> errorInfo;
};

using GuardResult = std::variant<GuardedRun, GuardError>;

// The circuit breaker in front of every script sent to another app. A hung app
// would otherwise block its caller (often the main thread) for as long as it
// likes; the guard lets the caller wait only for its own time-out, allows one
// script per app at a time, and benches an app after three time-outs in a row.
// In safe mode it refuses everything.
//
// One instance is created by the application and shared by reference. Scripts
// run on a thread of their own each, so a hung script holds only its own
// thread; a script that outlives its caller keeps its app marked in flight
// until it returns, and its late result is dropped.
class ScriptGuard {
public:
    static constexpr double benchSeconds = 90.0;
    // Consecutive time-outs that an app is allowed before its bench.
    static constexpr int toleratedStrikes = 2;

    // The platform objects must outlive the guard and every script it started.
    ScriptGuard(AppleScript& appleScript, SystemLog& systemLog, Clock& clock);
    ~ScriptGuard();
    ScriptGuard(const ScriptGuard&) = delete;
    ScriptGuard& operator=(const ScriptGuard&) = delete;

    bool safeMode() const;
    // Switched on once at launch, before any script is sent.
    void setSafeMode(bool on);

    // Runs the program for the app, waiting at most timeoutSeconds for it.
    // Blocks the calling thread for no longer than that (plus the lock), or
    // until the guard is closed.
    GuardResult execute(const AppleScriptProgram& program, Browser browser, double timeoutSeconds);

    // For the program's exit: every later request is refused as timed out
    // without being sent, and every caller still waiting for a script is let
    // go at once the same way, so that a hung app cannot hold up the services'
    // teardown (the metadata queue waits for its running job).
    void close();

    // An app's breaker: its time-outs in a row, its bench, a script of it running.
    struct Breaker {
        int strikes = 0;
        std::optional<QDateTime> benchedUntil;
        bool inFlight = false;
    };

    // For tests and benchmarks: the product never calls these.
    // No value before the app's first admitted request.
    std::optional<Breaker> breaker(Browser browser) const;

private:
    struct State;
    struct Job;
    bool startScript(const AppleScriptProgram& program, Browser browser,
                     const std::shared_ptr<Job>& job);

    AppleScript& m_appleScript;
    SystemLog& m_systemLog;
    Clock& m_clock;
    std::shared_ptr<State> m_state;
};

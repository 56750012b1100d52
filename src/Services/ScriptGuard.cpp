#include "ScriptGuard.h"

#include "Platform/Clock.h"
#include "Platform/SystemLog.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

QString GuardError::description() const
{
    const QString name = browser.displayName();
    switch (kind) {
    case benched:
        return QCoreApplication::translate("GuardError",
                                           "%1 is not responding to scripting; retrying later.")
            .arg(name);
    case busy:
        return QCoreApplication::translate("GuardError",
                                           "A previous request to %1 is still pending.")
            .arg(name);
    case timedOut:
        return QCoreApplication::translate("GuardError", "%1 did not answer in time.").arg(name);
    }
    return {};
}

// Shared with the script threads, which may outlive the guard.
struct ScriptGuard::State {
    std::mutex mutex;
    std::condition_variable started;
    bool safeMode = false;
    QHash<Browser, Breaker> breakers;
    // Threads started but not yet past their check of `closed`: the guard's
    // destructor waits for them, so that none starts a script later. A thread
    // already past the check may still be on its way into the platform, which
    // is why the platform has to outlive every script the guard started.
    int pendingStarts = 0;
    // Read by waiting callers under their job's lock, hence atomic.
    std::atomic<bool> closed = false;
    std::vector<std::shared_ptr<Job>> waiting; // callers inside execute()
};

// One script run: the result slots and the hand-off to the waiting caller.
struct ScriptGuard::Job {
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    AppleScriptRun run;
};

ScriptGuard::ScriptGuard(AppleScript& appleScript, SystemLog& systemLog, Clock& clock)
    : m_appleScript(appleScript), m_systemLog(systemLog), m_clock(clock),
      m_state(std::make_shared<State>())
{
}

ScriptGuard::~ScriptGuard()
{
    close();
    std::unique_lock lock(m_state->mutex);
    m_state->started.wait(lock, [this] { return m_state->pendingStarts == 0; });
}

void ScriptGuard::close()
{
    std::vector<std::shared_ptr<Job>> waiting;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->closed = true;
        waiting = m_state->waiting;
    }
    // Taking each job's lock orders this after a caller's last look at
    // `closed`: it either sees it set or is already waiting for this call.
    for (const std::shared_ptr<Job>& job : waiting) {
        {
            std::lock_guard lock(job->mutex);
        }
        job->answered.notify_all();
    }
}

bool ScriptGuard::safeMode() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->safeMode;
}

void ScriptGuard::setSafeMode(bool on)
{
    std::lock_guard lock(m_state->mutex);
    m_state->safeMode = on;
}

std::optional<ScriptGuard::Breaker> ScriptGuard::breaker(Browser browser) const
{
    std::lock_guard lock(m_state->mutex);
    const auto it = m_state->breakers.constFind(browser);
    if (it == m_state->breakers.cend())
        return std::nullopt;
    return it.value();
}

GuardResult ScriptGuard::execute(const AppleScriptProgram& program, Browser browser,
                                 double timeoutSeconds)
{
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->closed)
            return GuardError{GuardError::timedOut, browser};
        if (m_state->safeMode)
            return GuardError{GuardError::benched, browser};
        Breaker breaker = m_state->breakers.value(browser);
        if (breaker.benchedUntil) {
            if (*breaker.benchedUntil > m_clock.now())
                return GuardError{GuardError::benched, browser};
            breaker.benchedUntil.reset();
            breaker.strikes = 0;
        }
        if (breaker.inFlight) {
            m_state->breakers.insert(browser, breaker);
            return GuardError{GuardError::busy, browser};
        }
        breaker.inFlight = true;
        m_state->breakers.insert(browser, breaker);
    }

    const auto job = std::make_shared<Job>();
    {
        std::lock_guard lock(m_state->mutex);
        m_state->waiting.push_back(job);
    }
    if (!startScript(program, browser, job)) {
        // No thread to run it on: the script was never sent.
        std::lock_guard lock(m_state->mutex);
        std::erase(m_state->waiting, job);
        m_state->breakers[browser].inFlight = false;
        return GuardError{GuardError::busy, browser};
    }

    bool answered = false;
    {
        std::unique_lock lock(job->mutex);
        // Clamped so that a nonsensical time-out cannot overflow the clock.
        const double seconds = timeoutSeconds > 0 ? std::min(timeoutSeconds, 86400.0) : 0.0;
        answered = job->answered.wait_for(lock, std::chrono::duration<double>(seconds), [&] {
            return job->done || m_state->closed;
        }) && job->done;
    }
    {
        std::lock_guard lock(m_state->mutex);
        std::erase(m_state->waiting, job);
        if (!answered && m_state->closed)
            return GuardError{GuardError::timedOut, browser}; // let go, no strike
    }

    if (answered) {
        {
            std::lock_guard lock(m_state->mutex);
            m_state->breakers[browser].strikes = 0;
        }
        // The job is done with its slots; they are ours now.
        GuardedRun result;
        if (job->run.result)
            result.descriptor = *job->run.result;
        result.errorInfo = job->run.errorInfo;
        return result;
    }

    int strikes = 0;
    bool benchedNow = false;
    {
        std::lock_guard lock(m_state->mutex);
        Breaker& breaker = m_state->breakers[browser];
        strikes = ++breaker.strikes;
        if (strikes > toleratedStrikes) {
            breaker.benchedUntil = m_clock.now().addMSecs(qint64(benchSeconds * 1000));
            benchedNow = true;
        }
    }
    if (benchedNow)
        m_systemLog.log(QStringLiteral("ScriptGuard: benching %1 for 90s after %2 timeouts")
                            .arg(browser.displayName())
                            .arg(strikes));
    return GuardError{GuardError::timedOut, browser};
}

bool ScriptGuard::startScript(const AppleScriptProgram& program, Browser browser,
                              const std::shared_ptr<Job>& job)
{
    const std::shared_ptr<State> state = m_state;
    AppleScript* appleScript = &m_appleScript;
    {
        std::lock_guard lock(state->mutex);
        ++state->pendingStarts;
    }
    try {
        std::thread([state, job, appleScript, program = AppleScriptProgram(program),
                     browser]() mutable {
            bool run = false;
            {
                std::lock_guard lock(state->mutex);
                --state->pendingStarts;
                run = !state->closed;
                state->started.notify_all();
            }
            AppleScriptRun answer;
            if (run)
                answer = appleScript->execute(program);
            program = {}; // released before the caller hears back
            {
                std::lock_guard lock(job->mutex);
                job->run = std::move(answer);
            }
            // The app is free again before its caller wakes, so that the
            // caller's next request to it is admitted.
            {
                std::lock_guard lock(state->mutex);
                if (state->breakers.contains(browser))
                    state->breakers[browser].inFlight = false;
            }
            {
                std::lock_guard lock(job->mutex);
                job->done = true;
            }
            job->answered.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        std::lock_guard lock(state->mutex);
        --state->pendingStarts;
        return false;
    }
    return true;
}

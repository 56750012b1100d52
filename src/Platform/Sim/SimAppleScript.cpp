#include "SimAppleScript.h"

#include "Platform/Sim/SimHost.h"
#include "Platform/Sim/SimScriptRecogniser.h"

#include <chrono>

SimAppleScript::~SimAppleScript()
{
    std::unique_lock lock(m_mutex);
    m_closing = true;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_active == 0; });
}

std::optional<AppleScriptProgram> SimAppleScript::build(const QString& source) const
{
    if (m_buildFails)
        return std::nullopt;
    return AppleScriptProgram{source};
}

AppleScriptRun SimAppleScript::execute(const AppleScriptProgram& program)
{
    m_sources.add(program.source);
    {
        std::lock_guard lock(m_mutex);
        ++m_active;
    }
    struct Leave {
        SimAppleScript& self;
        ~Leave()
        {
            std::lock_guard lock(self.m_mutex);
            --self.m_active;
            self.m_changed.notify_all();
        }
    } leave{*this};

    const std::optional<SimScriptMatch> match = SimScriptRecogniser::recognise(program.source);
    if (!match)
        return SimScriptReplies::failure(
            QStringLiteral("Expected end of line but found unknown token."), -2740);

    struct Target {
        QString name;
        SimScripting scripting;
    };
    const auto target = m_host.read([&](const SimModel& model) -> std::optional<Target> {
        if (const SimInstance* instance = model.firstInstance(match->bundleID))
            return Target{instance->name, instance->scripting};
        return std::nullopt;
    });
    if (!target)
        return SimScriptReplies::failure(QStringLiteral("Application isn't running."), -600);
    if (target->scripting.automationDenied)
        return SimScriptReplies::failure(
            QStringLiteral("Not authorized to send Apple events to %1.").arg(target->name), -1743);
    if (!wait(match->bundleID, target->scripting))
        return SimScriptReplies::failure(QStringLiteral("Connection is invalid."), -609);
    // The app answers as it is now, after the wait.
    return m_replies.answer(*match);
}

bool SimAppleScript::wait(const QString& bundleID, const SimScripting& scripting)
{
    if (!scripting.hangs && scripting.delaySeconds <= 0)
        return true;
    std::unique_lock lock(m_mutex);
    const quint64 releases = m_releases.value(bundleID);
    ++m_running[bundleID];
    const auto released = [&] { return m_closing || m_releases.value(bundleID) != releases; };
    if (scripting.hangs)
        m_changed.wait(lock, released);
    else
        m_changed.wait_for(lock, std::chrono::duration<double>(scripting.delaySeconds), released);
    --m_running[bundleID];
    return !m_closing;
}

void SimAppleScript::changeScripting(const QString& bundleID,
                                     const std::function<void(SimScripting&)>& change)
{
    m_host.modify([&](SimModel& model) {
        for (SimInstance& instance : model.instances) {
            if (instance.bundleID == bundleID)
                change(instance.scripting);
        }
    });
}

void SimAppleScript::release(const QString& bundleID)
{
    std::lock_guard lock(m_mutex);
    ++m_releases[bundleID];
    m_changed.notify_all();
}

int SimAppleScript::runningCount(const QString& bundleID) const
{
    std::lock_guard lock(m_mutex);
    return m_running.value(bundleID);
}

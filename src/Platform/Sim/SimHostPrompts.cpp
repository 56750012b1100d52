#include "SimHostPrompts.h"

#include "SimHost.h"

#include <algorithm>

namespace {

using Kind = SimHostPrompt::Kind;

const QString accessibilityAnchor = QStringLiteral("Privacy_Accessibility");
const QString screenCaptureAnchor = QStringLiteral("Privacy_ScreenCapture");
const QString automationAnchor = QStringLiteral("Privacy_Automation");

bool samePrompt(const SimHostPrompt& a, Kind kind, const QString& anchor)
{
    return a.kind == kind && a.anchor == anchor;
}

} // namespace

QString SimHostPrompt::title() const
{
    switch (kind) {
    case Kind::accessibilityTrust:
        return QStringLiteral("Accessibility Access");
    case Kind::screenRecording:
        return QStringLiteral("Screen Recording");
    case Kind::privacyPane:
        if (anchor == accessibilityAnchor)
            return QStringLiteral("Privacy & Security — Accessibility");
        if (anchor == screenCaptureAnchor)
            return QStringLiteral("Privacy & Security — Screen Recording");
        if (anchor == automationAnchor)
            return QStringLiteral("Privacy & Security — Automation");
        return QStringLiteral("Privacy & Security");
    }
    return {};
}

QString SimHostPrompt::text() const
{
    switch (kind) {
    case Kind::accessibilityTrust:
        return QStringLiteral("“Tessel Nav” would like to control this computer using "
                              "accessibility features.");
    case Kind::screenRecording:
        return QStringLiteral("“Tessel Nav” would like to record the contents of this "
                              "computer's screen.");
    case Kind::privacyPane:
        if (anchor == accessibilityAnchor)
            return QStringLiteral("Allow Tessel Nav to control your computer.");
        if (anchor == screenCaptureAnchor)
            return QStringLiteral("Allow Tessel Nav to record the contents of your screen.");
        if (anchor == automationAnchor)
            return QStringLiteral("Allow Tessel Nav to control the apps it asks about their "
                                  "windows.");
        return QStringLiteral("This pane (%1) has no switch for Tessel Nav.").arg(anchor);
    }
    return {};
}

QString SimHostPrompt::grantButton() const
{
    return kind == Kind::privacyPane ? QStringLiteral("Turn On") : QStringLiteral("Allow");
}

QString SimHostPrompt::denyButton() const
{
    return kind == Kind::privacyPane ? QStringLiteral("Turn Off") : QStringLiteral("Deny");
}

SimHostPrompts::SimHostPrompts(SimHost& host) : m_host(host) {}

void SimHostPrompts::raise(SimHostPrompt::Kind kind, const QString& anchor)
{
    {
        std::lock_guard lock(m_mutex);
        for (const SimHostPrompt& prompt : std::as_const(m_prompts)) {
            if (prompt.state == SimHostPrompt::State::pending && samePrompt(prompt, kind, anchor))
                return;
        }
        m_prompts << SimHostPrompt{m_nextId++, kind, anchor, SimHostPrompt::State::pending};
    }
    m_host.postToMain([this] { emit promptsChanged(); });
}

QList<SimHostPrompt> SimHostPrompts::all() const
{
    std::lock_guard lock(m_mutex);
    return m_prompts;
}

QList<SimHostPrompt> SimHostPrompts::pending() const
{
    std::lock_guard lock(m_mutex);
    QList<SimHostPrompt> result;
    for (const SimHostPrompt& prompt : m_prompts) {
        if (prompt.state == SimHostPrompt::State::pending)
            result << prompt;
    }
    return result;
}

bool SimHostPrompts::answer(int id, bool grant)
{
    SimHostPrompt answered;
    {
        std::lock_guard lock(m_mutex);
        const auto it = std::find_if(m_prompts.begin(), m_prompts.end(), [id](const auto& prompt) {
            return prompt.id == id && prompt.state == SimHostPrompt::State::pending;
        });
        if (it == m_prompts.end())
            return false;
        it->state = grant ? SimHostPrompt::State::granted : SimHostPrompt::State::denied;
        answered = *it;
    }
    applyAnswer(answered, grant);
    m_host.postToMain([this] { emit promptsChanged(); });
    return true;
}

void SimHostPrompts::applyAnswer(const SimHostPrompt& prompt, bool grant)
{
    // A prompt only ever turns its permission on; a pane is its switch.
    const bool isPane = prompt.kind == Kind::privacyPane;
    if (!grant && !isPane)
        return;
    const auto is = [&](Kind kind, const QString& anchor) {
        return prompt.kind == kind || (isPane && prompt.anchor == anchor);
    };
    if (is(Kind::accessibilityTrust, accessibilityAnchor)) {
        m_host.modify([grant](SimModel& model) { model.accessibilityTrusted = grant; });
    } else if (is(Kind::screenRecording, screenCaptureAnchor)) {
        m_host.modify([grant](SimModel& model) { model.screenRecordingGranted = grant; });
    } else if (isPane && prompt.anchor == automationAnchor) {
        m_host.modify([grant](SimModel& model) {
            for (SimInstance& instance : model.instances)
                instance.scripting.automationDenied = !grant;
        });
    }
}

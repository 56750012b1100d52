#include "SimScriptReplies.h"

#include "Platform/Sim/SimHost.h"
#include "Platform/Sim/SimScriptRecogniser.h"

namespace {

AppleScriptRun success(const AEDescriptor& result)
{
    return AppleScriptRun{result, std::nullopt};
}

AEDescriptor textList(const QStringList& texts)
{
    QList<AEDescriptor> items;
    for (const QString& text : texts)
        items << AEDescriptor::text(text);
    return AEDescriptor::list(items);
}

// A window-list reply in the shape of the kind's script: the generic script
// reports no URL, Finder no tabs and no minimized state.
AEDescriptor windowList(const SimInstance& instance, Browser::WindowScriptKind kind)
{
    using Kind = Browser::WindowScriptKind;
    const bool hasURL = kind != Kind::generic;
    const bool hasTabs = kind != Kind::generic && kind != Kind::finder;
    const bool canMinimize = kind != Kind::finder;
    QList<AEDescriptor> items;
    for (const SimWindow& window : instance.windows) {
        if (window.scriptID.isEmpty())
            continue;
        items << AEDescriptor::list({
            AEDescriptor::text(window.scriptID),
            AEDescriptor::text(window.title),
            AEDescriptor::text(hasURL ? window.url : QString()),
            AEDescriptor::integer(hasTabs ? window.tabCount : 0),
            AEDescriptor::boolean(canMinimize && window.minimized),
        });
    }
    return AEDescriptor::list(items);
}

bool isList(SimScriptKind kind)
{
    return kind == SimScriptKind::windowList || kind == SimScriptKind::documentList ||
           kind == SimScriptKind::documentNames;
}

} // namespace

AppleScriptRun SimScriptReplies::failure(const QString& message, int number)
{
    return AppleScriptRun{std::nullopt, QVariantMap{{AppleScriptErrorKey::message, message},
                                                    {AppleScriptErrorKey::number, number}}};
}

AppleScriptRun SimScriptReplies::answer(const SimScriptMatch& match)
{
    const auto scripting = m_host.read([&](const SimModel& model) -> std::optional<SimScripting> {
        if (const SimInstance* instance = model.firstInstance(match.bundleID))
            return instance->scripting;
        return std::nullopt;
    });
    if (!scripting) // quit while the script ran
        return failure(QStringLiteral("Application isn't running."), -600);
    if (scripting->error)
        return AppleScriptRun{std::nullopt, *scripting->error};
    if (isList(match.kind) && scripting->replyOverride)
        return success(*scripting->replyOverride);
    switch (match.kind) {
    case SimScriptKind::focusWindow:
        return focusWindow(match);
    case SimScriptKind::switchDocument:
        return switchDocument(match);
    default:
        return list(match);
    }
}

AppleScriptRun SimScriptReplies::list(const SimScriptMatch& match)
{
    return m_host.read([&](const SimModel& model) {
        const SimInstance* instance = model.firstInstance(match.bundleID);
        if (!instance)
            return failure(QStringLiteral("Application isn't running."), -600);
        switch (match.kind) {
        case SimScriptKind::windowList:
            return success(windowList(*instance, *match.browser.windowScriptKind()));
        case SimScriptKind::documentList:
        case SimScriptKind::documentNames:
            return success(textList(instance->documents));
        case SimScriptKind::activeDocument:
            if (instance->activeDocument)
                return success(AEDescriptor::text(*instance->activeDocument));
            return failure(QStringLiteral("Can’t get name of active doc."), -1728);
        default:
            break;
        }
        return success(AEDescriptor::null());
    });
}

AppleScriptRun SimScriptReplies::focusWindow(const SimScriptMatch& match)
{
    const QString& reference = match.windowReference;
    const bool quoted = match.windowName.has_value();
    const QString wantedText = match.windowName.value_or(QString());
    bool numberOk = false;
    const qlonglong wantedNumber = quoted ? 0 : reference.toLongLong(&numberOk);
    if (!quoted && !numberOk)
        return failure(QStringLiteral("Can’t get window id %1.").arg(reference), -1728);
    const auto matches = [&](const SimWindow& window) {
        if (quoted)
            return window.scriptID == wantedText;
        bool ok = false;
        return window.scriptID.toLongLong(&ok) == wantedNumber && ok;
    };

    pid_t pid = 0;
    quint64 token = 0;
    m_host.modify([&](SimModel& model) {
        for (SimInstance& instance : model.instances) {
            if (instance.bundleID != match.bundleID)
                continue;
            for (SimWindow& window : instance.windows) {
                if (window.scriptID.isEmpty() || !matches(window))
                    continue;
                if (match.unminimize)
                    window.minimized = false;
                pid = instance.pid;
                token = window.token;
                return;
            }
            return; // only the first instance answers
        }
    });
    if (token == 0)
        return failure(QStringLiteral("Can’t get window id %1.").arg(reference), -1728);
    m_host.focusWindow(pid, token);
    return success(AEDescriptor::null());
}

AppleScriptRun SimScriptReplies::switchDocument(const SimScriptMatch& match)
{
    bool found = false;
    pid_t pid = 0;
    quint64 token = 0;
    m_host.modify([&](SimModel& model) {
        for (SimInstance& instance : model.instances) {
            if (instance.bundleID != match.bundleID)
                continue;
            if (instance.documents.contains(match.documentName)) {
                found = true;
                instance.activeDocument = match.documentName;
                pid = instance.pid;
                if (const SimWindow* window = instance.windowShowing(match.documentName))
                    token = window->token;
            }
            return;
        }
    });
    if (!found)
        return failure(QStringLiteral("Can’t get document \"%1\".").arg(match.documentName), -1728);
    if (token != 0)
        m_host.focusWindow(pid, token);
    return success(AEDescriptor::null());
}

#include "SimAppleScript.h"

#include "Models/Browser.h"
#include "Platform/Sim/SimHost.h"

#include <QRegularExpression>

#include <chrono>

// The scripts below are this host's own transcription of the scripts the
// product sends; they are deliberately not shared with the product's code, so
// that a difference between the two shows up as a compile error here.

enum class SimScriptKind {
    windowList,
    documentList,
    documentNames,
    activeDocument,
    focusWindow,
    switchDocument,
};

struct SimScriptMatch {
    SimScriptKind kind;
    QString bundleID;
    Browser browser = Browser::safari;
    QString windowReference; // focusWindow: the literal as written (number or quoted text)
    QString documentName;    // switchDocument: the unescaped name
    bool unminimize = false; // focusWindow: the script carries the un-minimize clause
};

namespace {

enum class ListKind { none, safari, chromium, arc, finder, generic };

ListKind listKind(Browser browser)
{
    switch (browser) {
    case Browser::safari:
        return ListKind::safari;
    case Browser::chrome:
    case Browser::edge:
    case Browser::brave:
    case Browser::vivaldi:
    case Browser::opera:
        return ListKind::chromium;
    case Browser::arc:
        return ListKind::arc;
    case Browser::finder:
        return ListKind::finder;
    case Browser::terminal:
    case Browser::iterm:
    case Browser::pages:
    case Browser::numbers:
    case Browser::keynote:
        return ListKind::generic;
    default:
        return ListKind::none;
    }
}

bool hasDocuments(Browser browser)
{
    return browser == Browser::photoshop || browser == Browser::illustrator ||
           browser == Browser::indesign || browser == Browser::acrobat;
}

QString minimizedWord(Browser browser)
{
    switch (listKind(browser)) {
    case ListKind::safari:
    case ListKind::arc:
    case ListKind::generic:
        return QStringLiteral("miniaturized");
    case ListKind::chromium:
        return QStringLiteral("minimized");
    case ListKind::finder:
    case ListKind::none:
        break;
    }
    return {};
}

QString documentProperty(Browser browser)
{
    if (browser == Browser::indesign)
        return QStringLiteral("active document");
    if (browser == Browser::photoshop || browser == Browser::illustrator)
        return QStringLiteral("current document");
    return {};
}

const char* listBody(ListKind kind)
{
    switch (kind) {
    case ListKind::safari:
        return R"AS("
    set out to {}
    repeat with w in windows
        try
            set theID to (id of w) as text
            set theName to name of w as text
            set theCount to count of tabs of w
            set theMin to miniaturized of w
            set theURL to ""
            try
                set theURL to URL of current tab of w as text
            end try
            set end of out to {theID, theName, theURL, theCount, theMin}
        end try
    end repeat
    return out
end tell)AS";
    case ListKind::chromium:
        return R"AS("
    set out to {}
    repeat with w in windows
        try
            set theID to (id of w) as text
            set theName to title of w as text
            set theCount to count of tabs of w
            set theMin to minimized of w
            set theURL to ""
            try
                set theURL to URL of active tab of w as text
            end try
            set end of out to {theID, theName, theURL, theCount, theMin}
        end try
    end repeat
    return out
end tell)AS";
    case ListKind::arc:
        return R"AS("
    set out to {}
    repeat with w in windows
        try
            set theID to (id of w) as text
            set theName to name of w as text
            set theCount to 0
            try
                set theCount to count of tabs of w
            end try
            set theMin to false
            try
                set theMin to miniaturized of w
            end try
            set theURL to ""
            try
                set theURL to URL of active tab of w as text
            end try
            set end of out to {theID, theName, theURL, theCount, theMin}
        end try
    end repeat
    return out
end tell)AS";
    case ListKind::finder:
        return R"AS("
    set out to {}
    repeat with w in Finder windows
        try
            set theID to (id of w) as text
            set theName to name of w as text
            set theURL to ""
            try
                set theURL to URL of (target of w)
            end try
            set end of out to {theID, theName, theURL, 0, false}
        end try
    end repeat
    return out
end tell)AS";
    case ListKind::generic:
        return R"AS("
    set out to {}
    repeat with w in windows
        try
            set theID to (id of w) as text
            set theName to name of w as text
            set theMin to false
            try
                set theMin to miniaturized of w
            end try
            set end of out to {theID, theName, "", 0, theMin}
        end try
    end repeat
    return out
end tell)AS";
    case ListKind::none:
        break;
    }
    return "";
}

const char* const documentsBody = R"AS("
    set out to {}
    repeat with d in documents
        try
            set end of out to (name of d as text)
        end try
    end repeat
    return out
end tell)AS";

// A string literal's inside: backslash escapes only before a backslash, a
// quote or n, r, t; no bare quote.
std::optional<QString> unescapeStringBody(const QString& body)
{
    QString text;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        if (c == QLatin1Char('"'))
            return std::nullopt;
        if (c != QLatin1Char('\\')) {
            text += c;
            continue;
        }
        if (++i == body.size())
            return std::nullopt;
        switch (body.at(i).unicode()) {
        case '\\':
        case '"':
            text += body.at(i);
            break;
        case 'n':
            text += QLatin1Char('\n');
            break;
        case 'r':
            text += QLatin1Char('\r');
            break;
        case 't':
            text += QLatin1Char('\t');
            break;
        default:
            return std::nullopt;
        }
    }
    return text;
}

bool isValidReference(const QString& reference)
{
    // Anchored at the very end: "$" would also match before a final line feed.
    static const QRegularExpression number(
        QRegularExpression::anchoredPattern(QStringLiteral("[+-]?[0-9]+")));
    if (number.match(reference).hasMatch())
        return true;
    return reference.size() >= 2 && reference.startsWith(QLatin1Char('"')) &&
           reference.endsWith(QLatin1Char('"')) &&
           unescapeStringBody(reference.mid(1, reference.size() - 2)).has_value();
}

QString focusScript(const QString& bundleID, const QString& word, const QString& reference)
{
    const QString clause = word.isEmpty() ? QString()
                                          : QStringLiteral("try\n    set %1 of window id %2 to "
                                                           "false\nend try")
                                                .arg(word, reference);
    return QStringLiteral("tell application id \"%1\"\n    %2\n    set index of window id %3 to "
                          "1\nend tell")
        .arg(bundleID, clause, reference);
}

std::optional<SimScriptMatch> recognise(const QString& source)
{
    const QString head = QStringLiteral("tell application id \"");
    if (!source.startsWith(head))
        return std::nullopt;
    const qsizetype close = source.indexOf(QLatin1Char('"'), head.size());
    if (close < 0)
        return std::nullopt;
    const QString bundleID = source.mid(head.size(), close - head.size());
    const std::optional<Browser> browser = Browser::from(bundleID);
    if (!browser)
        return std::nullopt;
    const QString tell = head + bundleID;
    SimScriptMatch match{SimScriptKind::windowList, bundleID, *browser, {}, {}, false};

    const ListKind kind = listKind(*browser);
    if (kind != ListKind::none) {
        if (source == tell + QLatin1String(listBody(kind)))
            return match;
        // Window focus: the reference is what stands before " to 1"; the whole
        // text is then rebuilt around it and must agree exactly.
        const QString tail = QStringLiteral(" to 1\nend tell");
        const QString marker = QStringLiteral("set index of window id ");
        const qsizetype at = source.lastIndexOf(marker);
        if (source.endsWith(tail) && at >= 0) {
            const qsizetype start = at + marker.size();
            const QString reference = source.mid(start, source.size() - tail.size() - start);
            const QString word = minimizedWord(*browser);
            if (isValidReference(reference) && source == focusScript(bundleID, word, reference)) {
                match.kind = SimScriptKind::focusWindow;
                match.windowReference = reference;
                match.unminimize = !word.isEmpty();
                return match;
            }
        }
        return std::nullopt;
    }

    if (!hasDocuments(*browser))
        return std::nullopt;
    if (source == tell + QLatin1String(documentsBody)) {
        match.kind = SimScriptKind::documentList;
        return match;
    }
    if (*browser == Browser::acrobat) {
        if (source == tell + QStringLiteral("\" to get name of documents")) {
            match.kind = SimScriptKind::documentNames;
            return match;
        }
        if (source == tell + QStringLiteral("\" to get name of active doc")) {
            match.kind = SimScriptKind::activeDocument;
            return match;
        }
        return std::nullopt;
    }
    const QString switchHead =
        tell + QStringLiteral("\"\n    set %1 to document \"").arg(documentProperty(*browser));
    const QString switchTail = QStringLiteral("\"\nend tell");
    if (source.startsWith(switchHead) && source.endsWith(switchTail) &&
        source.size() >= switchHead.size() + switchTail.size()) {
        const auto name = unescapeStringBody(
            source.mid(switchHead.size(), source.size() - switchHead.size() - switchTail.size()));
        if (name) {
            match.kind = SimScriptKind::switchDocument;
            match.documentName = *name;
            return match;
        }
    }
    return std::nullopt;
}

AppleScriptRun failure(const QString& message, int number)
{
    return AppleScriptRun{std::nullopt, QVariantMap{{AppleScriptErrorKey::message, message},
                                                    {AppleScriptErrorKey::number, number}}};
}

AppleScriptRun success(const AEDescriptor& result)
{
    return AppleScriptRun{result, std::nullopt};
}

const SimInstance* firstInstance(const SimModel& model, const QString& bundleID)
{
    for (const SimInstance& instance : model.instances) {
        if (instance.bundleID == bundleID)
            return &instance;
    }
    return nullptr;
}

AEDescriptor textList(const QStringList& texts)
{
    QList<AEDescriptor> items;
    for (const QString& text : texts)
        items << AEDescriptor::text(text);
    return AEDescriptor::list(items);
}

AEDescriptor windowList(const SimInstance& instance, ListKind kind)
{
    QList<AEDescriptor> items;
    for (const SimWindow& window : instance.windows) {
        if (window.scriptID.isEmpty())
            continue;
        const bool hasURL = kind != ListKind::generic;
        const bool hasTabs = kind != ListKind::generic && kind != ListKind::finder;
        const bool canMinimize = kind != ListKind::finder;
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

} // namespace

SimAppleScript::~SimAppleScript()
{
    std::unique_lock lock(m_mutex);
    m_closing = true;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_active == 0; });
}

std::optional<AppleScriptProgram> SimAppleScript::build(const QString& source) const
{
    if (buildFails)
        return std::nullopt;
    return AppleScriptProgram{source};
}

AppleScriptRun SimAppleScript::execute(const AppleScriptProgram& program)
{
    {
        std::lock_guard lock(m_mutex);
        m_sources << program.source;
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

    const std::optional<SimScriptMatch> match = recognise(program.source);
    if (!match)
        return failure(QStringLiteral("Expected end of line but found unknown token."), -2740);

    struct Target {
        QString name;
        SimScripting scripting;
    };
    const auto target = m_host.read([&](const SimModel& model) -> std::optional<Target> {
        if (const SimInstance* instance = firstInstance(model, match->bundleID))
            return Target{instance->name, instance->scripting};
        return std::nullopt;
    });
    if (!target)
        return failure(QStringLiteral("Application isn't running."), -600);
    if (target->scripting.automationDenied)
        return failure(
            QStringLiteral("Not authorized to send Apple events to %1.").arg(target->name), -1743);

    if (target->scripting.hangs || target->scripting.delaySeconds > 0) {
        std::unique_lock lock(m_mutex);
        const QString& app = match->bundleID;
        const quint64 releases = m_releases.value(app);
        ++m_running[app];
        const auto released = [&] { return m_closing || m_releases.value(app) != releases; };
        if (target->scripting.hangs)
            m_changed.wait(lock, released);
        else
            m_changed.wait_for(lock, std::chrono::duration<double>(target->scripting.delaySeconds),
                               released);
        --m_running[app];
        if (m_closing)
            return failure(QStringLiteral("Connection is invalid."), -609);
    }

    // The app answers as it is now, after the wait.
    const auto scripting = m_host.read([&](const SimModel& model) -> std::optional<SimScripting> {
        if (const SimInstance* instance = firstInstance(model, match->bundleID))
            return instance->scripting;
        return std::nullopt;
    });
    if (!scripting)
        return failure(QStringLiteral("Application isn't running."), -600);
    if (scripting->error)
        return AppleScriptRun{std::nullopt, *scripting->error};
    const bool isList = match->kind == SimScriptKind::windowList ||
                        match->kind == SimScriptKind::documentList ||
                        match->kind == SimScriptKind::documentNames;
    if (isList && scripting->replyOverride)
        return success(*scripting->replyOverride);
    return answer(*match);
}

AppleScriptRun SimAppleScript::answer(const SimScriptMatch& match)
{
    switch (match.kind) {
    case SimScriptKind::focusWindow:
        return focusWindow(match);
    case SimScriptKind::switchDocument:
        return switchDocument(match);
    default:
        break;
    }
    return m_host.read([&](const SimModel& model) {
        const SimInstance* instance = firstInstance(model, match.bundleID);
        if (!instance) // quit while the script ran
            return failure(QStringLiteral("Application isn't running."), -600);
        switch (match.kind) {
        case SimScriptKind::windowList:
            return success(windowList(*instance, listKind(match.browser)));
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

AppleScriptRun SimAppleScript::focusWindow(const SimScriptMatch& match)
{
    const QString& reference = match.windowReference;
    const bool quoted = reference.startsWith(QLatin1Char('"'));
    const QString wantedText =
        quoted ? *unescapeStringBody(reference.mid(1, reference.size() - 2)) : QString();
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

AppleScriptRun SimAppleScript::switchDocument(const SimScriptMatch& match)
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
                // The document's window is the one its name heads.
                for (const SimWindow& window : instance.windows) {
                    if (window.accessible && window.title.startsWith(match.documentName)) {
                        token = window.token;
                        break;
                    }
                }
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

QStringList SimAppleScript::executedSources() const
{
    std::lock_guard lock(m_mutex);
    return m_sources;
}

void SimAppleScript::clearExecutedSources()
{
    std::lock_guard lock(m_mutex);
    m_sources.clear();
}

#include "SafariMetadataService.h"

#include "Platform/AppleScript.h"
#include "Platform/Platform.h"
#include "Platform/Workspace.h"
#include "Services/SafariWindowService.h"
#include "Services/ScriptText.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSet>

namespace {

// The bodies follow the app's tell line.
const char* const safariBody =
    "\n    set out to {}\n    repeat with w in windows\n        try\n"
    "            set theID to (id of w) as text\n            set theName to name of w as text\n"
    "            set theCount to count of tabs of w\n            set theMin to miniaturized of w\n"
    "            set theURL to \"\"\n            try\n"
    "                set theURL to URL of current tab of w as text\n            end try\n"
    "            set end of out to {theID, theName, theURL, theCount, theMin}\n"
    "        end try\n    end repeat\n    return out\nend tell";

const char* const chromiumBody =
    "\n    set out to {}\n    repeat with w in windows\n        try\n"
    "            set theID to (id of w) as text\n            set theName to title of w as text\n"
    "            set theCount to count of tabs of w\n            set theMin to minimized of w\n"
    "            set theURL to \"\"\n            try\n"
    "                set theURL to URL of active tab of w as text\n            end try\n"
    "            set end of out to {theID, theName, theURL, theCount, theMin}\n"
    "        end try\n    end repeat\n    return out\nend tell";

const char* const arcBody =
    "\n    set out to {}\n    repeat with w in windows\n        try\n"
    "            set theID to (id of w) as text\n            set theName to name of w as text\n"
    "            set theCount to 0\n            try\n"
    "                set theCount to count of tabs of w\n            end try\n"
    "            set theMin to false\n            try\n"
    "                set theMin to miniaturized of w\n            end try\n"
    "            set theURL to \"\"\n            try\n"
    "                set theURL to URL of active tab of w as text\n            end try\n"
    "            set end of out to {theID, theName, theURL, theCount, theMin}\n"
    "        end try\n    end repeat\n    return out\nend tell";

const char* const finderBody =
    "\n    set out to {}\n    repeat with w in Finder windows\n        try\n"
    "            set theID to (id of w) as text\n            set theName to name of w as text\n"
    "            set theURL to \"\"\n            try\n"
    "                set theURL to URL of (target of w)\n            end try\n"
    "            set end of out to {theID, theName, theURL, 0, false}\n"
    "        end try\n    end repeat\n    return out\nend tell";

const char* const genericBody =
    "\n    set out to {}\n    repeat with w in windows\n        try\n"
    "            set theID to (id of w) as text\n            set theName to name of w as text\n"
    "            set theMin to false\n            try\n"
    "                set theMin to miniaturized of w\n            end try\n"
    "            set end of out to {theID, theName, \"\", 0, theMin}\n"
    "        end try\n    end repeat\n    return out\nend tell";

const char* const documentsBody =
    "\n    set out to {}\n    repeat with d in documents\n        try\n"
    "            set end of out to (name of d as text)\n        end try\n"
    "    end repeat\n    return out\nend tell";

// "<message> (<number>)" from a run's error dictionary.
QString scriptErrorMessage(const QVariantMap& errorInfo)
{
    const QVariant message = errorInfo.value(AppleScriptErrorKey::message);
    const QString text =
        message.typeId() == QMetaType::QString
            ? message.toString()
            : QCoreApplication::translate("MetadataError", "Unknown AppleScript error");
    const int number = errorInfo.value(AppleScriptErrorKey::number).toInt();
    // One pass: a placeholder inside the app's own text stays as it is.
    return QStringLiteral("%1 (%2)").arg(text, QString::number(number));
}

QString textItem(const AEDescriptor& element, int index)
{
    const std::optional<AEDescriptor> item = element.descriptorAtIndex(index);
    if (!item)
        return {};
    return item->stringValue().value_or(QString());
}

QList<WindowMetadata> parseWindowList(const AEDescriptor& reply)
{
    QList<WindowMetadata> entries;
    for (int i = 1; i <= reply.numberOfItems(); ++i) {
        const std::optional<AEDescriptor> element = reply.descriptorAtIndex(i);
        if (!element || element->numberOfItems() < 5)
            continue;
        WindowMetadata entry;
        entry.scriptID = textItem(*element, 1);
        if (entry.scriptID.isEmpty())
            continue;
        entry.name = textItem(*element, 2);
        const QString url = textItem(*element, 3);
        if (!url.isEmpty()) {
            const QUrl parsed(url, QUrl::StrictMode);
            if (parsed.isValid())
                entry.url = parsed;
        }
        if (const auto count = element->descriptorAtIndex(4))
            entry.tabCount = count->int32Value();
        if (const auto minimized = element->descriptorAtIndex(5))
            entry.isMinimized = minimized->booleanValue();
        entries << entry;
    }
    return entries;
}

SafariWindow scriptOnlyWindow(Browser browser, pid_t pid, const WindowMetadata& entry)
{
    SafariWindow window;
    window.browser = browser;
    window.pid = pid;
    window.scriptWindowID = entry.scriptID;
    window.title = entry.name;
    window.isMinimized = entry.isMinimized;
    window.tabURL = entry.url;
    window.tabCount = entry.tabCount;
    return window;
}

SafariWindow documentOnlyWindow(Browser browser, pid_t pid, const QString& name)
{
    SafariWindow window;
    window.browser = browser;
    window.pid = pid;
    window.scriptWindowID = name;
    window.title = name;
    return window;
}

} // namespace

QString MetadataError::description() const
{
    switch (kind) {
    case browserNotRunning:
        return QCoreApplication::translate("MetadataError", "%1 is not running.")
            .arg(browser.displayName());
    case unsupported:
        return QCoreApplication::translate("MetadataError", "%1 does not support tab scripting.")
            .arg(browser.displayName());
    case appleScriptError:
        return message;
    }
    return {};
}

SafariMetadataService::SafariMetadataService(Platform& platform, ScriptGuard& guard,
                                             Timeouts timeouts)
    : m_appleScript(platform.appleScript), m_workspace(platform.workspace), m_guard(guard),
      m_timeouts(timeouts)
{
}

SafariMetadataService::~SafariMetadataService() = default;

std::optional<QString> SafariMetadataService::listScript(Browser browser)
{
    const std::optional<Browser::WindowScriptKind> kind = browser.windowScriptKind();
    if (!kind)
        return std::nullopt;
    const char* body = genericBody;
    switch (*kind) {
    case Browser::WindowScriptKind::safari:
        body = safariBody;
        break;
    case Browser::WindowScriptKind::chromium:
        body = chromiumBody;
        break;
    case Browser::WindowScriptKind::arc:
        body = arcBody;
        break;
    case Browser::WindowScriptKind::finder:
        body = finderBody;
        break;
    case Browser::WindowScriptKind::generic:
        break;
    }
    return ScriptText::tellApplication(browser) + QLatin1String(body);
}

QString SafariMetadataService::documentsScript(Browser browser)
{
    return ScriptText::tellApplication(browser) + QLatin1String(documentsBody);
}

QString SafariMetadataService::activeDocumentScript(Browser browser)
{
    return ScriptText::tellApplication(browser) + QStringLiteral(" to get name of active doc");
}

MetadataResult<AEDescriptor> SafariMetadataService::runScript(Browser browser,
                                                              const QString& source, double timeout)
{
    const std::optional<AppleScriptProgram> program = m_appleScript.build(source);
    if (!program)
        return MetadataError::scriptError(
            browser, QCoreApplication::translate("MetadataError", "Could not build AppleScript."));
    const GuardResult result = m_guard.execute(*program, browser, timeout);
    if (const auto* refused = std::get_if<GuardError>(&result))
        return MetadataError::scriptError(browser, refused->description());
    const auto& run = std::get<GuardedRun>(result);
    if (run.errorInfo)
        return MetadataError::scriptError(browser, scriptErrorMessage(*run.errorInfo));
    return run.descriptor;
}

MetadataResult<QList<WindowMetadata>> SafariMetadataService::fetchMetadata(Browser browser)
{
    const std::optional<QString> script = listScript(browser);
    if (!browser.isWindowScriptApp() || !script)
        return MetadataError::notSupported(browser);
    if (m_workspace.runningApplications(browser.bundleID()).isEmpty())
        return MetadataError::notRunning(browser);
    const MetadataResult<AEDescriptor> reply = runScript(browser, *script, m_timeouts.list);
    if (const auto* error = std::get_if<MetadataError>(&reply))
        return *error;
    return parseWindowList(std::get<AEDescriptor>(reply));
}

MetadataResult<QStringList> SafariMetadataService::fetchDocuments(Browser browser)
{
    if (m_workspace.runningApplications(browser.bundleID()).isEmpty())
        return MetadataError::notRunning(browser);
    const MetadataResult<AEDescriptor> reply =
        runScript(browser, documentsScript(browser), m_timeouts.list);
    if (const auto* error = std::get_if<MetadataError>(&reply))
        return *error;
    const auto& list = std::get<AEDescriptor>(reply);
    QStringList names;
    for (int i = 1; i <= list.numberOfItems(); ++i) {
        const QString name = textItem(list, i);
        if (!name.isEmpty())
            names << name;
    }
    return names;
}

std::optional<QString> SafariMetadataService::fetchActiveDocName(Browser browser)
{
    const MetadataResult<AEDescriptor> reply =
        runScript(browser, activeDocumentScript(browser), m_timeouts.activeDocument);
    if (const auto* descriptor = std::get_if<AEDescriptor>(&reply))
        return descriptor->stringValue();
    return std::nullopt;
}

void SafariMetadataService::noteFetch(Browser browser, const std::optional<MetadataError>& error)
{
    std::lock_guard lock(m_errorsMutex);
    if (error)
        m_lastErrors.insert(browser, error->description());
    else
        m_lastErrors.remove(browser);
}

QHash<Browser, QString> SafariMetadataService::lastErrors() const
{
    std::lock_guard lock(m_errorsMutex);
    return m_lastErrors;
}

pid_t SafariMetadataService::mergePid(const QList<SafariWindow>& axWindows, Browser browser) const
{
    if (!axWindows.isEmpty())
        return axWindows.first().pid;
    const QList<RunningApplication> running = m_workspace.runningApplications(browser.bundleID());
    return running.isEmpty() ? 0 : running.first().pid;
}

QList<SafariWindow> SafariMetadataService::mergeAndEnrich(const QList<SafariWindow>& axWindows,
                                                          Browser browser,
                                                          const SafariWindowService& windowService)
{
    if (browser.isDocumentApp())
        return mergeDocuments(axWindows, browser);
    if (browser.isAccessibilityOnly())
        return axWindows;

    const MetadataResult<QList<WindowMetadata>> fetched = fetchMetadata(browser);
    if (const auto* error = std::get_if<MetadataError>(&fetched)) {
        noteFetch(browser, *error);
        return axWindows;
    }
    noteFetch(browser, std::nullopt);
    QList<WindowMetadata> unmatched = std::get<QList<WindowMetadata>>(fetched);

    QList<SafariWindow> merged = axWindows;
    for (SafariWindow& window : merged) {
        const auto entry =
            std::find_if(unmatched.begin(), unmatched.end(),
                         [&](const WindowMetadata& e) { return e.name == window.title; });
        if (entry == unmatched.end())
            continue;
        window.tabURL = entry->url;
        window.tabCount = entry->tabCount;
        window.scriptWindowID = entry->scriptID;
        unmatched.erase(entry);
    }

    // A window number belongs to one window. A script-only window given a
    // number that another window of this merge holds would take that
    // window's id, and the overlay keeps one record per id; two windows of
    // one title, one of them on another Space, are common.
    QSet<quint32> heldNumbers;
    for (const SafariWindow& window : std::as_const(merged)) {
        if (window.windowID)
            heldNumbers.insert(*window.windowID);
    }
    const pid_t pid = mergePid(axWindows, browser);
    for (const WindowMetadata& entry : unmatched) {
        SafariWindow window = scriptOnlyWindow(browser, pid, entry);
        if (!entry.name.isEmpty()) {
            for (const CGWindowRecord& record : windowService.cgWindowInfo(pid)) {
                if (record.name == entry.name && !heldNumbers.contains(record.id)) {
                    window.windowID = record.id;
                    window.frame = record.bounds;
                    heldNumbers.insert(record.id);
                    break;
                }
            }
        }
        merged << window;
    }
    return merged;
}

QList<SafariWindow> SafariMetadataService::mergeDocuments(const QList<SafariWindow>& axWindows,
                                                          Browser browser)
{
    const MetadataResult<QStringList> fetched = fetchDocuments(browser);
    if (const auto* error = std::get_if<MetadataError>(&fetched)) {
        noteFetch(browser, *error);
        return axWindows;
    }
    noteFetch(browser, std::nullopt);
    const QStringList& names = std::get<QStringList>(fetched);
    if (names.isEmpty())
        return axWindows;

    const pid_t pid = mergePid(axWindows, browser);
    QList<SafariWindow> merged;
    if (browser.isWindowMenuDocumentApp()) {
        // One document per window, and only the one in front is known: only
        // that document can be tied to an Accessibility window.
        const std::optional<QString> active = fetchActiveDocName(browser);
        for (const QString& name : names) {
            if (active && name == *active && !axWindows.isEmpty()) {
                SafariWindow window = axWindows.first();
                window.title = name;
                window.scriptWindowID = name;
                merged << window;
            } else {
                merged << documentOnlyWindow(browser, pid, name);
            }
        }
        return merged;
    }

    QList<SafariWindow> unmatched = axWindows;
    for (const QString& name : names) {
        const auto window =
            std::find_if(unmatched.begin(), unmatched.end(),
                         [&](const SafariWindow& w) { return w.title.startsWith(name); });
        if (window == unmatched.end()) {
            merged << documentOnlyWindow(browser, pid, name);
            continue;
        }
        SafariWindow renamed = *window;
        renamed.title = name;
        renamed.scriptWindowID = name;
        merged << renamed;
        unmatched.erase(window);
    }
    return merged + unmatched;
}

void SafariMetadataService::mergeAndEnrichAsync(const QList<SafariWindow>& axWindows,
                                                Browser browser,
                                                const SafariWindowService& windowService,
                                                QObject* context, MergeCompletion completion)
{
    // Taken here, on the context's thread, where the context lives and dies.
    const QPointer<QObject> receiver(context);
    m_scriptQueue.async(
        [this, axWindows, browser, windowService, receiver, completion = std::move(completion)] {
            const QList<SafariWindow> merged = mergeAndEnrich(axWindows, browser, windowService);
            m_mainThread.post(receiver, [completion, merged] { completion(merged); });
        });
}

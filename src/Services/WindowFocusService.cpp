#include "WindowFocusService.h"

#include "Platform/Accessibility.h"
#include "Platform/AppleScript.h"
#include "Platform/Platform.h"
#include "Platform/SystemLog.h"
#include "Platform/Workspace.h"
#include "Services/ScriptGuard.h"
#include "Services/ScriptText.h"

#include <QPromise>
#include <QRegularExpression>

#include <system_error>
#include <thread>

namespace {

// The app's scripting term for a window's minimized state; none for Finder,
// whose windows are never minimized in its scripting.
QString unminimizeWord(Browser::WindowScriptKind kind)
{
    switch (kind) {
    case Browser::WindowScriptKind::safari:
    case Browser::WindowScriptKind::arc:
    case Browser::WindowScriptKind::generic:
        return QStringLiteral("miniaturized");
    case Browser::WindowScriptKind::chromium:
        return QStringLiteral("minimized");
    case Browser::WindowScriptKind::finder:
        break;
    }
    return {};
}

QString documentSwitchProperty(Browser browser)
{
    return browser == Browser::indesign ? QStringLiteral("active document")
                                        : QStringLiteral("current document");
}

std::optional<QString> titleOf(const Accessibility& accessibility, const AXElement& element)
{
    AXValue value;
    if (accessibility.copyAttributeValue(element, AXAttribute::title, value) != AXError::Success)
        return std::nullopt;
    if (const auto* text = std::get_if<QString>(&value))
        return *text;
    return std::nullopt;
}

QList<AXElement> childrenOf(const Accessibility& accessibility, const AXElement& element)
{
    AXValue value;
    if (accessibility.copyAttributeValue(element, AXAttribute::children, value) != AXError::Success)
        return {};
    if (const auto* children = std::get_if<QList<AXElement>>(&value))
        return *children;
    return {};
}

} // namespace

WindowFocusService::WindowFocusService(Platform& platform, ScriptGuard& guard, double scriptTimeout)
    : m_accessibility(platform.accessibility), m_appleScript(platform.appleScript),
      m_workspace(platform.workspace), m_systemLog(platform.systemLog), m_guard(guard),
      m_scriptTimeout(scriptTimeout)
{
}

WindowFocusService::~WindowFocusService()
{
    std::unique_lock lock(m_jobsMutex);
    m_jobsDone.wait(lock, [this] { return m_pendingJobs == 0; });
}

QString WindowFocusService::windowReference(const QString& scriptWindowID)
{
    // Anchored at the very end: "$" would also match before a final line feed.
    static const QRegularExpression wholeNumber(
        QRegularExpression::anchoredPattern(QStringLiteral("[+-]?[0-9]+")));
    if (wholeNumber.match(scriptWindowID).hasMatch()) {
        bool fits = false;
        scriptWindowID.toLongLong(&fits);
        if (fits)
            return scriptWindowID;
    }
    return ScriptText::quoted(scriptWindowID);
}

QString WindowFocusService::windowFocusScript(Browser browser, const QString& scriptWindowID)
{
    const QString reference = windowReference(scriptWindowID);
    const auto kind = browser.windowScriptKind();
    const QString word = kind ? unminimizeWord(*kind) : QString();
    // The un-minimize clause is sent whether or not the window is minimized;
    // its try block swallows its failure.
    const QString unminimize = word.isEmpty() ? QString()
                                              : QStringLiteral("try\n    set ") + word +
                                                    QStringLiteral(" of window id ") + reference +
                                                    QStringLiteral(" to false\nend try");
    return ScriptText::tellApplication(browser) + QStringLiteral("\n    ") + unminimize +
           QStringLiteral("\n    set index of window id ") + reference +
           QStringLiteral(" to 1\nend tell");
}

QString WindowFocusService::documentSwitchScript(Browser browser, const QString& documentName)
{
    return ScriptText::tellApplication(browser) + QStringLiteral("\n    set ") +
           documentSwitchProperty(browser) + QStringLiteral(" to document ") +
           ScriptText::quoted(documentName) + QStringLiteral("\nend tell");
}

QFuture<void> WindowFocusService::focus(const SafariWindow& window)
{
    const Browser browser = window.browser;
    QFuture<void> carriedOut = QtFuture::makeReadyFuture();
    if (window.axElement) {
        // Results are not checked: a stale element or a silent app just
        // leaves the window where it is.
        if (window.isMinimized)
            m_accessibility.setAttributeValue(*window.axElement, AXAttribute::minimized, false);
        m_accessibility.setAttributeValue(*window.axElement, AXAttribute::main, true);
        m_accessibility.performAction(*window.axElement, AXAction::raise);
    } else if (window.scriptWindowID) {
        const QString scriptID = *window.scriptWindowID;
        const pid_t pid = window.pid;
        if (browser.isWindowMenuDocumentApp()) {
            carriedOut = runInBackground(
                [this, browser, scriptID, pid] { focusViaWindowMenu(browser, scriptID, pid); });
        } else if (browser.isDocumentApp()) {
            const QString script = documentSwitchScript(browser, scriptID);
            carriedOut = runInBackground([this, script, browser] {
                runGuarded(script, browser, QStringLiteral("Document switch"));
            });
        } else {
            const QString script = windowFocusScript(browser, scriptID);
            carriedOut = runInBackground(
                [this, script, browser] { runGuarded(script, browser, QStringLiteral("Focus")); });
        }
    }
    if (m_workspace.runningApplication(window.pid))
        m_workspace.activate(window.pid);
    return carriedOut;
}

QFuture<void> WindowFocusService::runInBackground(std::function<void()> job)
{
    {
        std::lock_guard lock(m_jobsMutex);
        ++m_pendingJobs;
    }
    const auto finished = [this] {
        std::lock_guard lock(m_jobsMutex);
        --m_pendingJobs;
        m_jobsDone.notify_all();
    };
    QPromise<void> promise;
    QFuture<void> carriedOut = promise.future();
    promise.start();
    try {
        std::thread([job = std::move(job), finished, promise = std::move(promise)]() mutable {
            job();
            job = nullptr; // its captures go before the service may
            promise.finish();
            finished();
        }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: this focus request is dropped, and its promise,
        // destroyed with the thread's function, finishes as cancelled.
        finished();
    }
    return carriedOut;
}

bool WindowFocusService::waitForBackgroundWork(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_jobsMutex);
    return m_jobsDone.wait_for(lock, timeout, [this] { return m_pendingJobs == 0; });
}

void WindowFocusService::runGuarded(const QString& source, Browser browser, const QString& label)
{
    const std::optional<AppleScriptProgram> program = m_appleScript.build(source);
    if (!program)
        return;
    const GuardResult result = m_guard.execute(*program, browser, m_scriptTimeout);
    if (const auto* refused = std::get_if<GuardError>(&result)) {
        m_systemLog.log(label + QStringLiteral(" skipped: ") + refused->description());
        return;
    }
    if (const auto& errorInfo = std::get<GuardedRun>(result).errorInfo)
        m_systemLog.log(label + QStringLiteral(" via AppleScript failed: ") +
                        describeErrorInfo(*errorInfo));
}

QStringList WindowFocusService::documentNames(Browser browser)
{
    const std::optional<AppleScriptProgram> program = m_appleScript.build(
        ScriptText::tellApplication(browser) + QStringLiteral(" to get name of documents"));
    if (!program)
        return {};
    const GuardResult result = m_guard.execute(*program, browser, m_scriptTimeout);
    const auto* run = std::get_if<GuardedRun>(&result);
    if (!run || run->errorInfo)
        return {};
    QStringList names;
    for (int i = 1; i <= run->descriptor.numberOfItems(); ++i) {
        if (const auto name = run->descriptor.descriptorAtIndex(i)->stringValue())
            names << *name;
    }
    return names;
}

// Such an app offers no document switch by script; its Window menu lists the
// open documents after its last separator, in the order its scripting reports
// them.
void WindowFocusService::focusViaWindowMenu(Browser browser, const QString& documentName, pid_t pid)
{
    const qsizetype position = documentNames(browser).indexOf(documentName);
    if (position < 0)
        return;

    const AXElement application = m_accessibility.createApplication(pid);
    AXValue menuBarValue;
    if (m_accessibility.copyAttributeValue(application, AXAttribute::menuBar, menuBarValue) !=
        AXError::Success)
        return;
    const auto* menuBar = std::get_if<AXElement>(&menuBarValue);
    if (!menuBar)
        return;

    std::optional<AXElement> windowItem;
    for (const AXElement& item : childrenOf(m_accessibility, *menuBar)) {
        if (titleOf(m_accessibility, item) == QStringLiteral("Window")) {
            windowItem = item;
            break;
        }
    }
    if (!windowItem)
        return;
    const QList<AXElement> menus = childrenOf(m_accessibility, *windowItem);
    if (menus.isEmpty())
        return;

    m_accessibility.performAction(*windowItem, AXAction::press);
    std::this_thread::sleep_for(windowMenuPause);

    const QList<AXElement> entries = childrenOf(m_accessibility, menus.first());
    QList<std::optional<QString>> titles;
    qsizetype lastUntitled = -1;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        titles << titleOf(m_accessibility, entries[i]);
        if (titles.last().value_or(QString()).isEmpty())
            lastUntitled = i;
    }
    QList<AXElement> documentItems;
    for (qsizetype i = lastUntitled + 1; i < entries.size(); ++i) {
        if (!titles[i].value_or(QString()).isEmpty())
            documentItems << entries[i];
    }

    if (position < documentItems.size())
        m_accessibility.performAction(documentItems[position], AXAction::press);
    else
        m_accessibility.performAction(*windowItem, AXAction::cancel);
}

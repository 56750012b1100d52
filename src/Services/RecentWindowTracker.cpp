#include "RecentWindowTracker.h"

#include "Models/SafariWindow.h"
#include "Platform/Platform.h"
#include "Platform/Workspace.h"

#include <QFutureWatcher>
#include <QSet>

namespace {

// Registration and the notification both run on the main thread: a hung app
// must not hold it for the host's default time-out of several seconds.
constexpr double focusMessagingTimeout = 0.3;

} // namespace

RecentWindowTracker::RecentWindowTracker(Accessibility& accessibility, Workspace& workspace)
    : m_accessibility(accessibility), m_workspace(workspace)
{
}

RecentWindowTracker::RecentWindowTracker(const Platform& platform)
    : RecentWindowTracker(platform.accessibility, platform.workspace)
{
}

RecentWindowTracker::~RecentWindowTracker()
{
    for (auto& [pid, observer] : m_observers)
        observer->setScheduled(false);
    m_observers.clear();
}

void RecentWindowTracker::ensureObserving(const QList<Browser>& browsers)
{
    QSet<pid_t> running;
    for (Browser browser : browsers) {
        for (const RunningApplication& app : m_workspace.runningApplications(browser.bundleID()))
            running.insert(app.pid);
    }

    for (auto it = m_observers.begin(); it != m_observers.end();) {
        if (running.contains(it->first)) {
            ++it;
            continue;
        }
        it->second->setScheduled(false);
        it = m_observers.erase(it);
    }

    // The window in front when the program started watching its app was
    // used last, though no focus change will ever report it.
    const std::optional<RunningApplication> frontmost = m_workspace.frontmostApplication();
    for (pid_t pid : std::as_const(running)) {
        if (m_observers.count(pid) != 0)
            continue;
        std::unique_ptr<AXObserver> observer;
        const AXError error = m_accessibility.createObserver(
            pid,
            [this](const AXElement& element, const QString&) { focusedWindowChanged(element); },
            observer);
        if (error != AXError::Success || !observer)
            continue;
        AXElement application = m_accessibility.createApplication(pid);
        m_accessibility.setMessagingTimeout(application, focusMessagingTimeout);
        observer->addNotification(application, AXNotification::focusedWindowChanged);
        observer->setScheduled(true);
        m_observers.emplace(pid, std::move(observer));
        if (frontmost && frontmost->pid == pid) {
            if (const std::optional<AXElement> focused = focusedWindow(application))
                focusedWindowChanged(*focused);
        }
    }
}

std::optional<AXElement> RecentWindowTracker::focusedWindow(const AXElement& application) const
{
    // The app's focused window is its main one, as the host reports it when
    // the app comes to the front.
    AXValue windows;
    if (m_accessibility.copyAttributeValue(application, AXAttribute::windows, windows) !=
        AXError::Success)
        return std::nullopt;
    const auto* elements = std::get_if<QList<AXElement>>(&windows);
    if (!elements)
        return std::nullopt;
    for (AXElement window : *elements) {
        m_accessibility.setMessagingTimeout(window, focusMessagingTimeout);
        AXValue main;
        if (m_accessibility.copyAttributeValue(window, AXAttribute::main, main) != AXError::Success)
            continue;
        if (const bool* isMain = std::get_if<bool>(&main); isMain && *isMain)
            return window;
    }
    return std::nullopt;
}

void RecentWindowTracker::focusedWindowChanged(const AXElement& window)
{
    if (m_choicesUnderWay.contains(window.pid))
        return;
    AXElement element = window;
    m_accessibility.setMessagingTimeout(element, focusMessagingTimeout);
    quint32 number = 0;
    if (m_accessibility.windowNumber(element, number) == AXError::Success && number != 0)
        bump(windowServerWindowId(number));
}

void RecentWindowTracker::bump(const QString& id)
{
    m_order.removeAll(id);
    m_order.prepend(id);
    while (m_order.size() > maximumCount)
        m_order.removeLast();
}

void RecentWindowTracker::bumpChoice(const SafariWindow& chosen, const QFuture<void>& carriedOut)
{
    bump(chosen.id());
    if (!chosen.isDocument())
        return;
    const pid_t pid = chosen.pid;
    ++m_choicesUnderWay[pid];
    // The watcher hears of the end through the event queue, so the reports
    // the request caused, queued before it, are passed over first.
    auto* watcher = new QFutureWatcher<void>(&m_choiceWatchers);
    QObject::connect(watcher, &QFutureWatcherBase::finished, watcher, [this, watcher, pid] {
        if (--m_choicesUnderWay[pid] == 0)
            m_choicesUnderWay.remove(pid);
        watcher->deleteLater();
    });
    watcher->setFuture(carriedOut);
}

QList<pid_t> RecentWindowTracker::observedProcesses() const
{
    QList<pid_t> pids;
    for (const auto& entry : m_observers)
        pids << entry.first;
    return pids;
}

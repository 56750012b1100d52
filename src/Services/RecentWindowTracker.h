#pragma once

#include "Models/Browser.h"
#include "Platform/Accessibility.h"

#include <QFuture>
#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>

class Workspace;
struct Platform;
struct SafariWindow;

// The order in which windows were last used, most recent first, fed by the
// switcher's commits and by the focus changes of every observed app. Lives in
// memory only. Main thread only.
class RecentWindowTracker final {
public:
    RecentWindowTracker(Accessibility& accessibility, Workspace& workspace);
    explicit RecentWindowTracker(const Platform& platform);
    // Observers go first: none may call back into a tracker being destroyed.
    ~RecentWindowTracker();
    RecentWindowTracker(const RecentWindowTracker&) = delete;
    RecentWindowTracker& operator=(const RecentWindowTracker&) = delete;

    // Observes exactly the running instances of these apps: observers of
    // processes no longer among them are dropped, missing ones are created
    // (one that cannot be created is tried again at the next call). When a
    // new observer watches the frontmost application, its focused window
    // enters the order as a focus change would.
    void ensureObserving(const QList<Browser>& browsers);
    void bump(const QString& id);
    // The card chosen in the switcher, once its focus request is under way.
    // A document's card counts as used, and nothing else: choosing it
    // activates its app and switches its documents, and the focus changes
    // that app reports meanwhile name its windows, whose numbers move from
    // document to document with those very switches. They are passed over
    // until the request is carried out.
    void bumpChoice(const SafariWindow& chosen, const QFuture<void>& carriedOut);
    const QStringList& order() const { return m_order; }

    static constexpr int maximumCount = 64;

    // For tests and benchmarks: the product never calls these.
    // The process ids observed now, ascending.
    QList<pid_t> observedProcesses() const;

private:
    std::optional<AXElement> focusedWindow(const AXElement& application) const;
    void focusedWindowChanged(const AXElement& window);

    Accessibility& m_accessibility;
    Workspace& m_workspace;
    QStringList m_order;
    std::map<pid_t, std::unique_ptr<AXObserver>> m_observers;
    // Processes whose focus reports are passed over, with the number of
    // their document choices not carried out yet.
    QHash<pid_t, int> m_choicesUnderWay;
    QObject m_choiceWatchers; // parent of one watcher per choice under way
};

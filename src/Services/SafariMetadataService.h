#pragma once

#include "Models/Browser.h"
#include "Models/SafariWindow.h"
#include "Platform/Threading/MainThreadQueue.h"
#include "Platform/Threading/SerialQueue.h"
#include "Services/ScriptGuard.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <mutex>
#include <optional>
#include <variant>

struct Platform;
class AppleScript;
class SafariWindowService;
class Workspace;

// One window as an app's window-list script reports it.
struct WindowMetadata {
    QString scriptID; // never empty
    QString name;
    std::optional<QUrl> url;
    int tabCount = 0;
    bool isMinimized = false;

    friend bool operator==(const WindowMetadata&, const WindowMetadata&) = default;
};

// A failed fetch; the description is shown to users as it stands.
struct MetadataError {
    enum Kind { browserNotRunning, unsupported, appleScriptError };
    Kind kind;
    Browser browser; // the app, for the first two kinds
    QString message; // appleScriptError: its ready message

    static MetadataError notRunning(Browser browser) { return {browserNotRunning, browser, {}}; }
    static MetadataError notSupported(Browser browser) { return {unsupported, browser, {}}; }
    static MetadataError scriptError(Browser browser, const QString& message)
    {
        return {appleScriptError, browser, message};
    }
    QString description() const;
};

// How long a fetch waits for an app's answer.
struct MetadataTimeouts {
    double list = 6.0;           // window and document lists
    double activeDocument = 3.0; // Acrobat's active document
};

template <typename T> using MetadataResult = std::variant<T, MetadataError>;

// Asks the scriptable apps for what Accessibility cannot tell (tab URLs and
// counts, script window ids, windows on other Spaces, open documents) and
// merges it into an app's Accessibility window list. Every script goes
// through the shared ScriptGuard.
//
// One instance is created by the application. The asynchronous merges run one
// after another on the service's serial queue; lastErrors() may be read from
// any thread. The platform and the guard must outlive the service; its
// destructor waits for the merge in progress and drops the queued ones and
// the completions not yet delivered.
class SafariMetadataService {
public:
    using Timeouts = MetadataTimeouts;

    SafariMetadataService(Platform& platform, ScriptGuard& guard, Timeouts timeouts = {});
    ~SafariMetadataService();
    SafariMetadataService(const SafariMetadataService&) = delete;
    SafariMetadataService& operator=(const SafariMetadataService&) = delete;

    // The window-list script of a window-script app; no value for other apps.
    static std::optional<QString> listScript(Browser browser);
    static QString documentsScript(Browser browser);
    static QString activeDocumentScript(Browser browser);

    // Synchronous; block the caller for at most the list time-out.
    MetadataResult<QList<WindowMetadata>> fetchMetadata(Browser browser);
    MetadataResult<QStringList> fetchDocuments(Browser browser);

    // The app's Accessibility windows enriched with what its scripts report.
    // Never fails: on a failed fetch the input comes back unchanged and the
    // error is kept in lastErrors().
    QList<SafariWindow> mergeAndEnrich(const QList<SafariWindow>& axWindows, Browser browser,
                                       const SafariWindowService& windowService);

    // The same on the service's serial queue. The completion is called on the
    // thread of `context` (the main thread), and not at all once `context` is
    // gone: that is how a caller drops a result it no longer wants. The job
    // keeps a copy of the window service, which holds only references to the
    // platform, so the caller's window service may go at once; the platform
    // must outlive this service in any case.
    using MergeCompletion = std::function<void(const QList<SafariWindow>&)>;
    void mergeAndEnrichAsync(const QList<SafariWindow>& axWindows, Browser browser,
                             const SafariWindowService& windowService, QObject* context,
                             MergeCompletion completion);

    // The description of each app's last failed fetch; an app's entry goes
    // away with its next successful fetch.
    QHash<Browser, QString> lastErrors() const;

private:
    MetadataResult<AEDescriptor> runScript(Browser browser, const QString& source, double timeout);
    std::optional<QString> fetchActiveDocName(Browser browser);
    QList<SafariWindow> mergeDocuments(const QList<SafariWindow>& axWindows, Browser browser);
    pid_t mergePid(const QList<SafariWindow>& axWindows, Browser browser) const;
    void noteFetch(Browser browser, const std::optional<MetadataError>& error);

    AppleScript& m_appleScript;
    Workspace& m_workspace;
    ScriptGuard& m_guard;
    Timeouts m_timeouts;

    mutable std::mutex m_errorsMutex;
    QHash<Browser, QString> m_lastErrors;

    MainThreadQueue m_mainThread; // delivers the completions; lives on the creating thread
    SerialQueue m_scriptQueue;    // last: its jobs use the fields above
};

#pragma once

#include "Platform/Sim/SimHostPrompts.h"
#include "Platform/Sim/SimModel.h"
#include "Platform/Threading/MainThreadQueue.h"

#include <QObject>

#include <functional>
#include <mutex>

// The simulated desktop: one model behind one lock, shared by the Sim
// facilities (one class per Platform interface) and by the control face that
// tests and the desktop view use. Facilities may be called from any thread;
// notifications are delivered on the thread this object lives in (the main
// thread).
class SimHost : public QObject {
    Q_OBJECT
public:
    explicit SimHost(SimModel model = {}, QObject* parent = nullptr);

    // Runs fn with the model locked. Never sleep or call back into the host
    // inside fn.
    template <typename Fn> auto read(Fn&& fn) const
    {
        std::lock_guard lock(m_mutex);
        return fn(std::as_const(m_model));
    }
    // Changes the model; new windows and menu items get their element tokens.
    void modify(const std::function<void(SimModel&)>& fn);

    SimModel snapshot() const;

    // Focus: makes the window the main window of its app, raises it to the
    // front of the app's window list and tells the app's focus observers.
    void focusWindow(pid_t pid, quint64 windowToken);
    // Makes the app frontmost and tells its observers about its main window.
    void activateApp(pid_t pid);

    // Focus observers register here; the listener is called on the main
    // thread with the newly focused window's element, until it is removed.
    using FocusListener = std::function<void(const AXElement& window)>;
    int addFocusListener(pid_t pid, FocusListener listener);
    void removeFocusListener(int id);

    // Queues fn on the main thread.
    void postToMain(std::function<void()> fn);
    // Runs fn on the main thread and waits for it (at once when called there).
    void callOnMain(std::function<void()> fn);

    // The host's own permission prompts and privacy panes, raised by the
    // facilities; tests and the desktop window answer them through SimControl.
    SimHostPrompts& prompts() { return m_prompts; }

signals:
    // Any change of the model (for the desktop view).
    void modelChanged();

private:
    friend class SimControl;
    int focusListenerCount(pid_t pid) const;
    void assignTokens(SimModel& model);
    void notifyFocus(pid_t pid, quint64 windowToken);

    mutable std::mutex m_mutex;
    SimModel m_model;
    quint64 m_nextToken = 1;

    struct Listener {
        pid_t pid;
        FocusListener fn;
    };
    mutable std::mutex m_listenerMutex;
    QHash<int, Listener> m_listeners;
    int m_nextListenerId = 1;

    SimHostPrompts m_prompts{*this};

    // Last: destroyed first, so that no queued notification outlives the rest.
    MainThreadQueue m_mainThread;
};

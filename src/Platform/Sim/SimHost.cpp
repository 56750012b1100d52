#include "SimHost.h"

#include <algorithm>

SimHost::SimHost(SimModel model, QObject* parent) : QObject(parent), m_model(std::move(model))
{
    assignTokens(m_model);
}

void SimHost::assignTokens(SimModel& model)
{
    const std::function<void(QList<SimMenuItem>&)> assignMenu = [&](QList<SimMenuItem>& items) {
        for (SimMenuItem& item : items) {
            if (item.token == 0)
                item.token = m_nextToken++;
            assignMenu(item.children);
        }
    };
    for (SimInstance& instance : model.instances) {
        for (SimWindow& window : instance.windows) {
            if (window.token == 0)
                window.token = m_nextToken++;
        }
        assignMenu(instance.menuBar);
    }
}

void SimHost::modify(const std::function<void(SimModel&)>& fn)
{
    {
        std::lock_guard lock(m_mutex);
        fn(m_model);
        assignTokens(m_model);
    }
    postToMain([this] { emit modelChanged(); });
}

SimModel SimHost::snapshot() const
{
    std::lock_guard lock(m_mutex);
    return m_model;
}

void SimHost::focusWindow(pid_t pid, quint64 windowToken)
{
    bool found = false;
    {
        std::lock_guard lock(m_mutex);
        SimInstance* instance = m_model.instance(pid);
        if (!instance)
            return;
        auto& windows = instance->windows;
        const auto it = std::find_if(windows.begin(), windows.end(),
                                     [&](const SimWindow& w) { return w.token == windowToken; });
        if (it != windows.end()) {
            SimWindow window = *it;
            windows.erase(it);
            for (SimWindow& other : windows)
                other.main = false;
            window.main = true;
            // A document app's main window decides its active document.
            if (const std::optional<QString> document = instance->documentShownIn(window.title))
                instance->activeDocument = *document;
            windows.prepend(window);
            found = true;
        }
    }
    if (!found)
        return;
    notifyFocus(pid, windowToken);
    postToMain([this] { emit modelChanged(); });
}

void SimHost::activateApp(pid_t pid)
{
    quint64 mainToken = 0;
    {
        std::lock_guard lock(m_mutex);
        const SimInstance* instance = m_model.instance(pid);
        if (!instance)
            return;
        m_model.frontmostPid = pid;
        for (const SimWindow& window : instance->windows) {
            if (window.main && window.accessible) {
                mainToken = window.token;
                break;
            }
        }
    }
    if (mainToken != 0)
        notifyFocus(pid, mainToken);
    postToMain([this] { emit modelChanged(); });
}

int SimHost::addFocusListener(pid_t pid, FocusListener listener)
{
    std::lock_guard lock(m_listenerMutex);
    const int id = m_nextListenerId++;
    m_listeners.insert(id, Listener{pid, std::move(listener)});
    return id;
}

void SimHost::removeFocusListener(int id)
{
    std::lock_guard lock(m_listenerMutex);
    m_listeners.remove(id);
}

void SimHost::notifyFocus(pid_t pid, quint64 windowToken)
{
    QList<int> ids;
    {
        std::lock_guard lock(m_listenerMutex);
        for (auto it = m_listeners.cbegin(); it != m_listeners.cend(); ++it) {
            if (it.value().pid == pid)
                ids << it.key();
        }
    }
    const AXElement window{pid, windowToken, 0};
    for (int id : ids) {
        // Looked up again at delivery: a listener removed meanwhile gets nothing.
        postToMain([this, id, window] {
            FocusListener fn;
            {
                std::lock_guard lock(m_listenerMutex);
                const auto it = m_listeners.constFind(id);
                if (it == m_listeners.cend())
                    return;
                fn = it.value().fn;
            }
            fn(window);
        });
    }
}

void SimHost::postToMain(std::function<void()> fn)
{
    m_mainThread.post(std::move(fn));
}

void SimHost::callOnMain(std::function<void()> fn)
{
    m_mainThread.runAndWait(std::move(fn));
}

int SimHost::focusListenerCount(pid_t pid) const
{
    std::lock_guard lock(m_listenerMutex);
    return int(std::count_if(m_listeners.cbegin(), m_listeners.cend(),
                             [pid](const Listener& listener) { return listener.pid == pid; }));
}

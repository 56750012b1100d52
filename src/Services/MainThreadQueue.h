#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

// Runs jobs posted from any thread on the thread this object lives in (the
// main thread), in posting order. A job still waiting when the object is
// destroyed is dropped.
//
// The jobs travel through a std::mutex rather than inside the posted event,
// so that the hand-off is one that ThreadSanitizer can see: Qt's own event
// queue is locked with futexes that an uninstrumented Qt hides from it, and
// anything read from the posted event would look like a race.
class MainThreadQueue final : public QObject {
public:
    explicit MainThreadQueue(QObject* parent = nullptr) : QObject(parent) {}

    void post(std::function<void()> job);

protected:
    // The event itself is never looked at: it is only the wake-up call.
    void customEvent(QEvent* event) override;

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_jobs;
};

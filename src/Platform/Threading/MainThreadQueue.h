#pragma once

#include <QFuture>
#include <QObject>
#include <QPointer>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

// The one way work started on another thread hands back to the main thread:
// jobs posted from any thread run on the thread this object lives in, in
// posting order. A job still waiting when the queue is destroyed is dropped,
// and so is a job whose context object is gone by the time it would run.
//
// The jobs travel through a std::mutex rather than inside the posted event,
// so that the hand-off is one that ThreadSanitizer can see: Qt's own event
// queue is locked with futexes that an uninstrumented Qt hides from it, and
// anything read from the posted event would look like a race.
class MainThreadQueue final : public QObject {
public:
    explicit MainThreadQueue(QObject* parent = nullptr);
    ~MainThreadQueue() override;

    void post(std::function<void()> job);
    // Runs the job only while the context still exists. Take the QPointer on
    // the context's thread (a raw pointer converts to one at the call, so pass
    // one only from that thread).
    void post(const QPointer<QObject>& context, std::function<void()> job);

    // Runs the job on the queue's thread and waits for it: at once on that
    // thread, else through the queue. False when the job was dropped because
    // the queue went away first. Never call it while the queue's thread waits
    // for the calling one.
    bool runAndWait(std::function<void()> job);

    // Calls receive(result) on the queue's thread once the future has a result,
    // unless the context is gone by then (see post). A cancelled or failed
    // future calls nothing. Safe whichever of the queue and the future ends
    // first.
    template <typename T, typename Receive>
    void postResult(QFuture<T> future, const QPointer<QObject>& context, Receive receive)
    {
        future.then(QtFuture::Launch::Sync,
                    [state = m_state, context, receive = std::move(receive)](const T& result) {
                        MainThreadQueue::post(state, [context, receive, result] {
                            if (context)
                                receive(result);
                        });
                    });
    }

protected:
    // The event itself is never looked at: it is only the wake-up call.
    void customEvent(QEvent* event) override;

private:
    // Shared with the continuations of futures, which may outlive the queue.
    struct State {
        std::mutex mutex;
        std::deque<std::function<void()>> jobs;
        MainThreadQueue* queue; // null once the queue is being destroyed
    };
    static void post(const std::shared_ptr<State>& state, std::function<void()> job);

    std::shared_ptr<State> m_state;
};

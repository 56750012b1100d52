#include "MainThreadQueue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

#include <future>

namespace {
const QEvent::Type jobsPosted = QEvent::User;
}

MainThreadQueue::MainThreadQueue(QObject* parent)
    : QObject(parent), m_state(std::make_shared<State>())
{
    m_state->queue = this;
}

MainThreadQueue::~MainThreadQueue()
{
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->queue = nullptr;
        dropped.swap(m_state->jobs);
    }
    // Destroyed outside the lock: a job's captures may own anything.
}

void MainThreadQueue::post(const std::shared_ptr<State>& state, std::function<void()> job)
{
    std::lock_guard lock(state->mutex);
    if (!state->queue)
        return;
    state->jobs.push_back(std::move(job));
    // Under the lock, so that the queue cannot be destroyed meanwhile.
    QCoreApplication::postEvent(state->queue, new QEvent(jobsPosted));
}

void MainThreadQueue::post(std::function<void()> job)
{
    post(m_state, std::move(job));
}

void MainThreadQueue::post(const QPointer<QObject>& context, std::function<void()> job)
{
    post(m_state, [context, job = std::move(job)] {
        if (context)
            job();
    });
}

bool MainThreadQueue::runAndWait(std::function<void()> job)
{
    if (QThread::currentThread() == thread()) {
        job();
        return true;
    }
    // A job dropped unrun destroys its task, which breaks the promise.
    auto task = std::make_shared<std::packaged_task<void()>>(std::move(job));
    std::future<void> done = task->get_future();
    post([task] { (*task)(); });
    task.reset();
    try {
        done.get();
        return true;
    } catch (const std::future_error&) {
        return false;
    }
}

void MainThreadQueue::customEvent(QEvent*)
{
    // One job at a time, so that a job that destroys the queue (with the
    // owner its other jobs use) drops the rest instead of running them.
    const std::shared_ptr<State> state = m_state;
    for (;;) {
        std::function<void()> job;
        {
            std::lock_guard lock(state->mutex);
            if (!state->queue || state->jobs.empty())
                return;
            job = std::move(state->jobs.front());
            state->jobs.pop_front();
        }
        job();
    }
}

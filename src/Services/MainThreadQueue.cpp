#include "MainThreadQueue.h"

#include <QCoreApplication>
#include <QEvent>

namespace {
const QEvent::Type jobsPosted = QEvent::User;
}

void MainThreadQueue::post(std::function<void()> job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    QCoreApplication::postEvent(this, new QEvent(jobsPosted));
}

void MainThreadQueue::customEvent(QEvent*)
{
    std::deque<std::function<void()>> jobs;
    {
        std::lock_guard lock(m_mutex);
        jobs.swap(m_jobs);
    }
    for (const auto& job : jobs)
        job();
}

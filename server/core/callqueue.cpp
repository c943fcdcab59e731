#include "callqueue.h"

namespace commission {

CallQueue::CallQueue(int workers, int limit) : m_limit(std::size_t(limit))
{
    m_workers.reserve(std::size_t(workers));
    for (int i = 0; i < workers; ++i)
        m_workers.emplace_back([this] { work(); });
}

CallQueue::~CallQueue()
{
    stop();
}

bool CallQueue::submit(Job job)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping || m_jobs.size() >= m_limit)
            return false;
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
    return true;
}

std::size_t CallQueue::waiting() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_jobs.size();
}

bool CallQueue::hasRoom() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return !m_stopping && m_jobs.size() < m_limit;
}

void CallQueue::stop()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread &worker : m_workers) {
        if (worker.joinable())
            worker.join();
    }
}

void CallQueue::work()
{
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
    }
}

}  // namespace commission

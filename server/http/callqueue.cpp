#include "callqueue.h"

namespace commission {

CallQueue::CallQueue(int workers, int limit, int helpers, Lost lost)
    : m_limit(std::size_t(limit)), m_capacity(std::size_t(workers)), m_helpers(std::size_t(std::max(helpers, 0))),
      m_lost(std::move(lost))
{
    m_states.reserve(std::size_t(workers));
    m_idle.reserve(std::size_t(workers));
    m_workers.reserve(std::size_t(workers));
    for (int i = 0; i < workers; ++i) {
        m_states.push_back(std::make_unique<Worker>());
        Worker &worker = *m_states.back();
        m_workers.emplace_back([this, &worker] { work(worker); });
    }
}

CallQueue::~CallQueue()
{
    stop();
}

bool CallQueue::submit(Job job)
{
    Worker *woken = nullptr;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping || m_jobs.size() >= m_limit)
            return false;
        m_jobs.push_back(std::move(job));
        woken = idleWorkerForWaitingCall();
    }
    if (woken)
        woken->wake.notify_one();
    return true;
}

bool CallQueue::runHere(const Job &job)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping || !m_jobs.empty() || m_running >= m_capacity || m_helping >= m_helpers)
            return false;
        ++m_running;
        ++m_helping;
    }
    const Place place(*this, true);
    job();
    return true;
}

CallQueue::Place::~Place()
{
    Worker *woken = nullptr;
    {
        const std::lock_guard<std::mutex> lock(m_queue.m_mutex);
        --m_queue.m_running;
        if (!m_helping)
            return;
        --m_queue.m_helping;
        // A call that queued meanwhile because every place was taken goes to
        // a worker now: serving it here too would keep this thread's own
        // connection from its next request for as long as calls keep coming.
        woken = m_queue.idleWorkerForWaitingCall();
    }
    if (woken)
        woken->wake.notify_one();
}

CallQueue::Worker *CallQueue::idleWorkerForWaitingCall()
{
    // With every place taken, whoever finishes first takes the call.
    if (m_jobs.empty() || m_idle.empty() || m_running >= m_capacity)
        return nullptr;
    Worker *worker = m_idle.back();
    m_idle.pop_back();
    worker->called = true;
    return worker;
}

std::size_t CallQueue::waiting() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_jobs.size();
}

std::size_t CallQueue::running() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_running;
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
        for (const std::unique_ptr<Worker> &worker : m_states)
            worker->called = true;
        m_idle.clear();
    }
    for (const std::unique_ptr<Worker> &worker : m_states)
        worker->wake.notify_one();
    for (std::thread &worker : m_workers) {
        if (worker.joinable())
            worker.join();
    }
}

void CallQueue::work(Worker &self)
{
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            // A worker takes what waits before it sleeps; asleep, it is
            // woken only when handed a call, which another worker may have
            // taken meanwhile. Stopping, the workers empty the queue without
            // waiting for places: helpers take nothing more by then.
            while (m_jobs.empty() || (m_running >= m_capacity && !m_stopping)) {
                if (m_stopping)
                    return;
                self.called = false;
                m_idle.push_back(&self);
                self.wake.wait(lock, [&self] { return self.called; });
            }
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            ++m_running;
        }
        // The worker's one guard: a job that raises is reported, and the
        // worker goes on with the next one, its place given back.
        const Place place(*this, false);
        try {
            job();
        } catch (...) {
            if (m_lost)
                m_lost(std::current_exception());
        }
    }
}

}  // namespace commission

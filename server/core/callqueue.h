#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace commission {

// The calls waiting for a database worker, first in first out across every
// connection, served by a fixed set of worker threads. Each worker keeps its
// own database connection (the connection provider opens one per thread), so
// at most `workers` statements run at once whatever the number of clients.
class CallQueue {
public:
    using Job = std::function<void()>;

    CallQueue(int workers, int limit);
    ~CallQueue();  // finishes what was queued, then joins the workers

    CallQueue(const CallQueue &) = delete;
    CallQueue &operator=(const CallQueue &) = delete;

    // Queues the job; false when `limit` jobs are waiting already.
    bool submit(Job job);
    // Calls waiting and calls being served.
    std::size_t waiting() const;
    bool hasRoom() const;
    // Lets the workers finish every queued job and end.
    void stop();

private:
    void work();

    const std::size_t m_limit;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_stopping = false;
    std::vector<std::thread> m_workers;
};

}  // namespace commission

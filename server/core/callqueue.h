#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace commission {

// The calls waiting for a database worker, first in first out across every
// connection, served by a fixed set of worker threads. Each worker keeps its
// own database connection (the connection provider opens one per thread), so
// at most `workers` statements run at once whatever the number of clients.
// A call goes to the worker that became idle last: under a light load the
// same few workers serve every call, with their statements, database pages
// and processor caches warm, and the others sleep.
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
    struct Worker {
        std::condition_variable wake;
        bool called = false;  // handed a call (or the stop) since it went idle
    };

    void work(Worker &self);

    const std::size_t m_limit;
    mutable std::mutex m_mutex;
    std::deque<Job> m_jobs;
    std::vector<std::unique_ptr<Worker>> m_states;
    std::vector<Worker *> m_idle;  // the one that went idle last at the back
    bool m_stopping = false;
    std::vector<std::thread> m_workers;
};

}  // namespace commission

#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace commission {

// The calls waiting for the database, first in first out across every
// connection, served by a fixed set of worker threads. Each worker keeps its
// own database connection (the connection provider opens one per thread),
// and at most `workers` calls run at once whatever the number of clients.
// A call goes to the worker that became idle last: under a light load the
// same few workers serve every call, with their statements, database pages
// and processor caches warm, and the others sleep.
//
// Up to `helpers` other threads (the I/O threads, each then with a database
// connection of its own) may run a call themselves when none waits: handing
// a call to a sleeping worker and its answer back costs two thread wake-ups,
// more than a short listing takes.
class CallQueue {
public:
    using Job = std::function<void()>;
    // Told of what a job raised on a worker; the worker goes on.
    using Lost = std::function<void(std::exception_ptr)>;

    CallQueue(int workers, int limit, int helpers = 0, Lost lost = {});
    ~CallQueue();  // finishes what was queued, then joins the workers

    CallQueue(const CallQueue &) = delete;
    CallQueue &operator=(const CallQueue &) = delete;

    // Queues the job; false when `limit` jobs are waiting already.
    bool submit(Job job);
    // Runs the job on the calling thread when no call waits, fewer than
    // `workers` run and fewer than `helpers` other callers are doing the
    // same; false (nothing run) otherwise. What the job raises reaches the
    // caller, its place given back.
    bool runHere(const Job &job);
    // Calls waiting for the database.
    std::size_t waiting() const;
    // Calls running, on workers and helpers.
    std::size_t running() const;
    bool hasRoom() const;
    // Lets the workers finish every queued job and end. Helpers take no
    // call from then on.
    void stop();

private:
    struct Worker {
        std::condition_variable wake;
        bool called = false;  // handed a call (or the stop) since it went idle
    };
    // One of the places taken (counted running, and helping for a caller's
    // own thread) until it goes, however the job ends. A helper's place,
    // given back, hands what queued meanwhile to an idle worker.
    class Place {
    public:
        Place(CallQueue &queue, bool helping) : m_queue(queue), m_helping(helping) {}
        ~Place();
        Place(const Place &) = delete;
        Place &operator=(const Place &) = delete;

    private:
        CallQueue &m_queue;
        bool m_helping;
    };

    void work(Worker &self);
    // The worker that went idle last, handed the call that waits, when a
    // call waits and a place is free; nullptr otherwise. Called locked.
    Worker *idleWorkerForWaitingCall();

    const std::size_t m_limit;
    const std::size_t m_capacity;  // calls that may run at once
    const std::size_t m_helpers;
    const Lost m_lost;
    mutable std::mutex m_mutex;
    std::deque<Job> m_jobs;
    std::size_t m_running = 0;  // calls running, on workers and helpers
    std::size_t m_helping = 0;  // helpers running calls
    std::vector<std::unique_ptr<Worker>> m_states;
    std::vector<Worker *> m_idle;  // the one that went idle last at the back
    bool m_stopping = false;
    std::vector<std::thread> m_workers;
};

}  // namespace commission

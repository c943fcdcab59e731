#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

namespace commission {

// The calls running on the server's threads, for a stop that waits for them
// and, at its deadline, abandons what still runs. An abandoned call commits
// nothing: its commit is refused (WriteTransaction asks beforeCommit() on
// the call's own thread) and its database connection is interrupted, so the
// transaction it is in rolls back. A call already committing when the
// deadline comes finishes its commit and is answered as usual.
class RunningCalls {
public:
    // Interrupts the database work of the thread.
    using Interrupt = std::function<void(std::thread::id)>;

    // One call, registered on the calling thread for the scope's lifetime.
    class Scope {
    public:
        Scope(RunningCalls &calls, QString description);
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

        // False past the stop's deadline: the call is not to run at all.
        bool admitted() const { return m_admitted; }

    private:
        RunningCalls &m_calls;
        bool m_admitted = false;
    };

    // A commit of the calling thread's call, between beforeCommit() (in
    // the constructor, which raises for an abandoned call) and
    // afterCommit(), however the commit ends.
    class Commit {
    public:
        Commit() { beforeCommit(); }
        ~Commit() { afterCommit(); }
        Commit(const Commit &) = delete;
        Commit &operator=(const Commit &) = delete;
    };

    RunningCalls() = default;
    RunningCalls(const RunningCalls &) = delete;
    RunningCalls &operator=(const RunningCalls &) = delete;

    // Asked by a commit on the calling thread: raises ServiceError when the
    // thread's call was abandoned; otherwise the call counts as committing
    // until afterCommit(). Nothing for a thread that runs no call.
    static void beforeCommit();
    static void afterCommit();

    // Abandons every running call that is not committing and admits no new
    // one; interrupts the database work of each. Their descriptions.
    QStringList abandonAll(const Interrupt &interrupt);
    // Interrupts again the abandoned calls that still run: a connection
    // interrupted between two statements runs the next one.
    void interruptAbandoned(const Interrupt &interrupt);

    std::size_t count() const;
    // Until no call runs or the deadline passes; true when none runs.
    bool waitUntilIdle(std::chrono::steady_clock::time_point deadline);

private:
    enum class State { Running, Committing, Abandoned };
    struct Call {
        QString description;
        std::thread::id thread;
        State state = State::Running;
    };

    // The call the thread runs, and the registry it is in.
    static thread_local RunningCalls *s_owner;
    static thread_local Call *s_current;

    mutable std::mutex m_mutex;
    std::condition_variable m_ended;
    std::list<Call> m_calls;
    bool m_closed = false;
};

}  // namespace commission

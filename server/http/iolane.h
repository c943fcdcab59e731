#pragma once

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>

#include <atomic>
#include <exception>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace commission {

// One I/O thread's own event loop and the connections it carries. A
// connection stays on the lane it was given, so its reads, writes and
// deadlines never pass from one thread to another: a request wakes one
// thread, not one to wait for it and another to take over the waiting.
//
// A lane may run the call of a connection itself when that connection is
// the only one it carries: nobody else then waits on its thread. It takes
// no new connection while it runs a call.
class IoLane {
public:
    // What a connection does when the server stops (drainConnections()).
    class Drainable {
    public:
        virtual ~Drainable() = default;
        virtual void serverStopping() = 0;
    };
    using Tracked = std::list<std::weak_ptr<Drainable>>::iterator;
    // Told of what a handler raised; the loop goes on with the next one.
    using Lost = std::function<void(std::exception_ptr)>;

    // One connection counted on the lane from the moment it is taken until
    // this goes, whatever happens between: handed from the accept to the
    // connection, which holds it for its lifetime.
    class Ticket {
    public:
        explicit Ticket(IoLane &lane) : m_lane(&lane) {}
        ~Ticket()
        {
            if (m_lane)
                m_lane->connectionClosed();
        }
        Ticket(Ticket &&other) noexcept : m_lane(std::exchange(other.m_lane, nullptr)) {}
        Ticket &operator=(Ticket &&) = delete;
        Ticket(const Ticket &) = delete;
        Ticket &operator=(const Ticket &) = delete;

        IoLane &lane() const { return *m_lane; }

    private:
        IoLane *m_lane = nullptr;
    };

    // The lane's thread claimed for one call (beginCall()) while this
    // lives, when it could be; released however the call ends.
    class CallClaim {
    public:
        explicit CallClaim(IoLane &lane) : m_lane(lane), m_claimed(lane.beginCall()) {}
        ~CallClaim()
        {
            if (m_claimed)
                m_lane.endCall();
        }
        CallClaim(const CallClaim &) = delete;
        CallClaim &operator=(const CallClaim &) = delete;
        explicit operator bool() const { return m_claimed; }

    private:
        IoLane &m_lane;
        bool m_claimed;
    };

    explicit IoLane(Lost lost = {});

    IoLane(const IoLane &) = delete;
    IoLane &operator=(const IoLane &) = delete;

    boost::asio::io_context &io() { return m_io; }

    // Runs the loop on the calling thread until stop(), with or without
    // connections meanwhile. A handler that raises is reported to `lost`
    // and the loop goes on: the thread's one guard.
    void run();
    void stop();

    // Gives the lane one more connection; false, and nothing given, while it
    // runs a call. `always` gives it regardless.
    bool takeConnection(bool always = false);
    // takeConnection(), counted until the ticket goes; an empty ticket
    // when the lane runs a call.
    std::optional<Ticket> ticket(bool always = false);
    void connectionClosed();
    int connections() const { return m_state.load() / oneConnection; }
    bool runsCall() const { return (m_state.load() & runningCall) != 0; }

    // Claims the lane's thread for the call of its only connection; false
    // when it carries others or runs a call already. endCall() releases a
    // claim once its call is over.
    bool beginCall();
    void endCall();

    // The connections a stop must reach; a connection tracks itself when it
    // starts and is untracked when it ends, on any thread.
    Tracked track(std::weak_ptr<Drainable> connection);
    void untrack(Tracked tracked);
    // From any thread: from now on draining() holds, and every connection
    // carried is told to drain on the lane's own thread.
    void drainConnections();
    bool draining() const { return m_draining.load(); }

private:
    // The connections carried, times two, plus one while a call runs.
    static constexpr int runningCall = 1;
    static constexpr int oneConnection = 2;

    // Before the loop: connections its handlers still hold when it is
    // destroyed close against it.
    std::atomic<int> m_state{0};
    std::atomic<bool> m_draining{false};
    Lost m_lost;
    std::mutex m_trackedMutex;
    std::list<std::weak_ptr<Drainable>> m_tracked;
    boost::asio::io_context m_io;
    boost::asio::executor_work_guard<boost::asio::io_context::executor_type> m_keepRunning;
};

}  // namespace commission

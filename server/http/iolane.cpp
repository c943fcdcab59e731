#include "iolane.h"

#include <boost/asio/post.hpp>

#include <vector>

namespace commission {

// One thread runs each lane: Asio skips the hand-over between threads it
// otherwise prepares for. Workers still post answers to it from theirs.
IoLane::IoLane(Lost lost) : m_lost(std::move(lost)), m_io(1), m_keepRunning(boost::asio::make_work_guard(m_io)) {}

void IoLane::run()
{
    // A handler that raises leaves run(); the loop is run again, which Asio
    // allows without a restart, and its other connections go on.
    for (;;) {
        try {
            m_io.run();
            return;
        } catch (...) {
            if (m_lost)
                m_lost(std::current_exception());
        }
    }
}

void IoLane::stop()
{
    m_keepRunning.reset();
    m_io.stop();
}

bool IoLane::takeConnection(bool always)
{
    if (always) {
        m_state.fetch_add(oneConnection);
        return true;
    }
    int state = m_state.load();
    do {
        if (state & runningCall)
            return false;
    } while (!m_state.compare_exchange_weak(state, state + oneConnection));
    return true;
}

std::optional<IoLane::Ticket> IoLane::ticket(bool always)
{
    if (!takeConnection(always))
        return std::nullopt;
    return std::optional<Ticket>(std::in_place, *this);
}

void IoLane::connectionClosed()
{
    m_state.fetch_sub(oneConnection);
}

bool IoLane::beginCall()
{
    // Taking a connection and claiming the thread change the one state
    // together: a connection is never given to a lane that has just started
    // a call, nor a call started on a lane that has just been given one.
    int expected = oneConnection;
    return m_state.compare_exchange_strong(expected, oneConnection | runningCall);
}

void IoLane::endCall()
{
    m_state.fetch_and(~runningCall);
}

IoLane::Tracked IoLane::track(std::weak_ptr<Drainable> connection)
{
    const std::lock_guard<std::mutex> lock(m_trackedMutex);
    return m_tracked.insert(m_tracked.end(), std::move(connection));
}

void IoLane::untrack(Tracked tracked)
{
    const std::lock_guard<std::mutex> lock(m_trackedMutex);
    m_tracked.erase(tracked);
}

void IoLane::drainConnections()
{
    m_draining = true;
    boost::asio::post(m_io, [this] {
        std::vector<std::shared_ptr<Drainable>> carried;
        {
            const std::lock_guard<std::mutex> lock(m_trackedMutex);
            for (const std::weak_ptr<Drainable> &tracked : m_tracked) {
                if (std::shared_ptr<Drainable> connection = tracked.lock())
                    carried.push_back(std::move(connection));
            }
        }
        for (const std::shared_ptr<Drainable> &connection : carried)
            connection->serverStopping();
    });
}

}  // namespace commission

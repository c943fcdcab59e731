#include "runningcalls.h"

#include "serviceerror.h"

namespace commission {

thread_local RunningCalls *RunningCalls::s_owner = nullptr;
thread_local RunningCalls::Call *RunningCalls::s_current = nullptr;

RunningCalls::Scope::Scope(RunningCalls &calls, QString description) : m_calls(calls)
{
    const std::lock_guard<std::mutex> lock(calls.m_mutex);
    if (calls.m_closed)
        return;
    calls.m_calls.push_back(Call{std::move(description), std::this_thread::get_id(), State::Running});
    s_owner = &calls;
    s_current = &calls.m_calls.back();
    m_admitted = true;
}

RunningCalls::Scope::~Scope()
{
    if (!m_admitted)
        return;
    {
        const std::lock_guard<std::mutex> lock(m_calls.m_mutex);
        m_calls.m_calls.remove_if([](const Call &call) { return &call == s_current; });
    }
    s_owner = nullptr;
    s_current = nullptr;
    m_calls.m_ended.notify_all();
}

void RunningCalls::beforeCommit()
{
    if (!s_owner)
        return;
    const std::lock_guard<std::mutex> lock(s_owner->m_mutex);
    Call *call = s_current;
    if (call->state == State::Abandoned)
        throw ServiceError(
            ServiceError::Kind::Unavailable, QStringLiteral("O servidor está encerrando."),
            QStringLiteral("Chamada desfeita no fim do prazo de encerramento: %1").arg(call->description));
    call->state = State::Committing;
}

void RunningCalls::afterCommit()
{
    if (!s_owner)
        return;
    const std::lock_guard<std::mutex> lock(s_owner->m_mutex);
    Call *call = s_current;
    if (call->state == State::Committing)
        call->state = State::Running;
}

QStringList RunningCalls::abandonAll(const Interrupt &interrupt)
{
    QStringList abandoned;
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_closed = true;
    for (Call &call : m_calls) {
        if (call.state != State::Running)
            continue;
        call.state = State::Abandoned;
        abandoned.append(call.description);
        interrupt(call.thread);
    }
    return abandoned;
}

void RunningCalls::interruptAbandoned(const Interrupt &interrupt)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    for (const Call &call : m_calls) {
        if (call.state == State::Abandoned)
            interrupt(call.thread);
    }
}

std::size_t RunningCalls::count() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls.size();
}

bool RunningCalls::waitUntilIdle(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_ended.wait_until(lock, deadline, [this] { return m_calls.empty(); });
}

}  // namespace commission

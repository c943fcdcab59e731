#pragma once

#include <thread>

// The least a call over loopback can cost: a server in this process that
// reads each request of one kept-alive connection and answers it at once
// with a small fixed answer, asked through the client the measures use.
class LoopbackFloor {
public:
    LoopbackFloor();
    ~LoopbackFloor();

    LoopbackFloor(const LoopbackFloor &) = delete;
    LoopbackFloor &operator=(const LoopbackFloor &) = delete;

    int port() const { return m_port; }

private:
    void serve();

    int m_listener = -1;
    int m_port = 0;
    std::thread m_thread;
};

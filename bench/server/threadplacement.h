#pragma once

#include <sched.h>

#include <vector>

// Keeps the calling thread on one processor for as long as it lives, and
// puts it back where it was allowed before. A thread starts where the
// thread that starts it may run, so a server started inside a placement
// keeps all of its threads there.
class ThreadPlacement {
public:
    // The processors this process may run on, in order.
    static std::vector<int> processors();

    explicit ThreadPlacement(int processor);
    ~ThreadPlacement();

    ThreadPlacement(const ThreadPlacement &) = delete;
    ThreadPlacement &operator=(const ThreadPlacement &) = delete;

private:
    cpu_set_t m_before;
};

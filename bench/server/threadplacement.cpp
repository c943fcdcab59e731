#include "threadplacement.h"

#include <pthread.h>

#include <stdexcept>
#include <string>

std::vector<int> ThreadPlacement::processors()
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    std::vector<int> found;
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0)
        return found;
    for (int processor = 0; processor < CPU_SETSIZE; ++processor) {
        if (CPU_ISSET(processor, &allowed))
            found.push_back(processor);
    }
    return found;
}

ThreadPlacement::ThreadPlacement(int processor)
{
    CPU_ZERO(&m_before);
    cpu_set_t only;
    CPU_ZERO(&only);
    CPU_SET(processor, &only);
    if (pthread_getaffinity_np(pthread_self(), sizeof m_before, &m_before) != 0
        || pthread_setaffinity_np(pthread_self(), sizeof only, &only) != 0)
        throw std::runtime_error("não foi possível fixar a linha de execução no processador "
                                 + std::to_string(processor));
}

ThreadPlacement::~ThreadPlacement()
{
    pthread_setaffinity_np(pthread_self(), sizeof m_before, &m_before);
}

#include "silentabort.h"

const char *SilentAbort::what() const noexcept
{
    return "silent abort";
}

void Abort()
{
    throw SilentAbort();
}

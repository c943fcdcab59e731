#pragma once

#include "dialogs_export.h"

#include <exception>

// The silent abort: ends the current handler and its callers without any
// message. Raised by MensErro with the abort flag and by Abort(); caught only
// by the handler guard.
class DIALOGS_EXPORT SilentAbort : public std::exception {
public:
    const char *what() const noexcept override;
};

[[noreturn]] DIALOGS_EXPORT void Abort();

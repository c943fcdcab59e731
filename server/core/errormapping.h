#pragma once

#include "serviceerror.h"

namespace commission {

// The one place where an error becomes an HTTP status (docs/protocol.md).
class ErrorMapping {
public:
    static int httpStatus(ServiceError::Kind kind);
    // The text of a status the HTTP library answered by itself (bad request
    // line, unknown path, body too large).
    static QString messageForStatus(int status);
};

}  // namespace commission

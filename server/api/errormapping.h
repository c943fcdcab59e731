#pragma once

#include "serviceerror.h"

#include <QJsonObject>

namespace commission {

// What the caller is told about an error, and what the log keeps of it.
struct ErrorAnswer {
    int status = 500;
    QString text;         // the "error" of the answer
    QString logText;      // the outcome written in the call's log line
    QString reference;    // of a server failure, in the text and the log line; else empty
    QJsonObject details;  // the "details" beside "error" of a business-rule refusal; else empty
};

// The one place where an error becomes an HTTP status and a text
// (docs/protocol.md). Failures of the server itself reach the caller as a
// general Portuguese text with a reference; their full text goes to the log
// under the same reference.
class ErrorMapping {
public:
    static int httpStatus(ServiceError::Kind kind);
    static ErrorAnswer answer(const ServiceError &error);
    // The text of a request refused before it reached a method (bad HTTP,
    // unknown path, body too large, server busy).
    static QString messageForStatus(int status);
};

}  // namespace commission

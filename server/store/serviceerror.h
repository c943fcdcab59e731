#pragma once

#include <QJsonObject>
#include <QString>

#include <stdexcept>

namespace commission {

// The one error type of the commission server. Its kind says what went wrong
// from the caller's point of view; the HTTP layer turns the kind into a status
// code and a text in exactly one place (errormapping.h). Errors of the
// libraries below (packet decoding, opening a database) are converted into
// this type where they are caught, so nothing else reaches the HTTP layer.
//
// The message of the first kinds is meant for the caller. The last four are
// failures of the server itself: their message and detail are written to the
// log only, and the caller gets a general text with a reference to that line.
class ServiceError : public std::runtime_error {
public:
    enum class Kind {
        BadRequest,     // the call is malformed or an argument does not fit
        Unauthorized,   // the shared secret, the session or the sign-in is missing or wrong
        Forbidden,      // the signed-in operator lacks the right for what the call asks
        DirectoryDown,  // the operators' directory cannot be reached; the message is for the caller,
                        // the detail for the log
        NotFound,       // unknown remote object or method
        TooLarge,       // the request exceeds a size limit
        BusinessRule,   // a rule refused the call; the message is an "N_PARAM_" catalogue key
        Conflict,       // the database gave up a transaction (deadlock, serialization); it may be retried
        Unavailable,    // the database cannot be reached or stays busy
        Database,       // a statement failed
        Internal        // anything else that went wrong on the server
    };

    ServiceError(Kind kind, const QString &message, const QString &detail = QString());

    Kind kind() const { return m_kind; }
    QString message() const { return QString::fromStdString(what()); }
    // What only the log may show: the driver's text, the statement.
    const QString &detail() const { return m_detail; }
    // Whether the message is the server's own business and stays in the log.
    bool isServerFailure() const;
    // What a business-rule refusal tells beside its key (the answer's
    // "details"); empty for the others.
    const QJsonObject &details() const { return m_details; }

    static ServiceError badRequest(const QString &message);
    static ServiceError businessRule(const QString &catalogueKey);
    static ServiceError businessRule(const QString &catalogueKey, const QJsonObject &details);
    static ServiceError internal(const QString &message);

private:
    Kind m_kind;
    QString m_detail;
    QJsonObject m_details;
};

}  // namespace commission

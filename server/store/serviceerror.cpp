#include "serviceerror.h"

namespace commission {

ServiceError::ServiceError(Kind kind, const QString &message, const QString &detail)
    : std::runtime_error(message.toStdString()), m_kind(kind), m_detail(detail)
{
}

bool ServiceError::isServerFailure() const
{
    return m_kind == Kind::Conflict || m_kind == Kind::Unavailable || m_kind == Kind::Database
           || m_kind == Kind::Internal;
}

ServiceError ServiceError::badRequest(const QString &message)
{
    return ServiceError(Kind::BadRequest, message);
}

ServiceError ServiceError::businessRule(const QString &catalogueKey)
{
    return ServiceError(Kind::BusinessRule, catalogueKey);
}

ServiceError ServiceError::businessRule(const QString &catalogueKey, const QJsonObject &details)
{
    ServiceError error(Kind::BusinessRule, catalogueKey);
    error.m_details = details;
    return error;
}

ServiceError ServiceError::internal(const QString &message)
{
    return ServiceError(Kind::Internal, message);
}

}  // namespace commission

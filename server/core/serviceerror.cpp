#include "serviceerror.h"

namespace commission {

ServiceError::ServiceError(Kind kind, const QString &message)
    : std::runtime_error(message.toStdString()), m_kind(kind)
{
}

ServiceError ServiceError::badRequest(const QString &message)
{
    return ServiceError(Kind::BadRequest, message);
}

ServiceError ServiceError::businessRule(const QString &catalogueKey)
{
    return ServiceError(Kind::BusinessRule, catalogueKey);
}

ServiceError ServiceError::internal(const QString &message)
{
    return ServiceError(Kind::Internal, message);
}

}  // namespace commission

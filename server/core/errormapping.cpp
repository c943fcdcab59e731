#include "errormapping.h"

namespace commission {

int ErrorMapping::httpStatus(ServiceError::Kind kind)
{
    switch (kind) {
    case ServiceError::Kind::BadRequest: return 400;
    case ServiceError::Kind::Unauthorized: return 401;
    case ServiceError::Kind::NotFound: return 404;
    case ServiceError::Kind::TooLarge: return 413;
    case ServiceError::Kind::BusinessRule: return 422;
    case ServiceError::Kind::Unavailable: return 503;
    case ServiceError::Kind::Internal: return 500;
    }
    return 500;
}

QString ErrorMapping::messageForStatus(int status)
{
    switch (status) {
    case 400: return QStringLiteral("Requisição HTTP inválida.");
    case 404: return QStringLiteral("Caminho desconhecido: use POST /rdm/<objeto>/<método>.");
    case 405: return QStringLiteral("Método HTTP não aceito: use POST.");
    case 413: return QStringLiteral("Requisição maior que o servidor aceita.");
    default: return QStringLiteral("Erro HTTP %1.").arg(status);
    }
}

}  // namespace commission

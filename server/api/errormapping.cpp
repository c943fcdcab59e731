#include "errormapping.h"

#include "errorreference.h"

namespace commission {

int ErrorMapping::httpStatus(ServiceError::Kind kind)
{
    switch (kind) {
    case ServiceError::Kind::BadRequest:
        return 400;
    case ServiceError::Kind::Unauthorized:
        return 401;
    case ServiceError::Kind::Forbidden:
        return 403;
    case ServiceError::Kind::NotFound:
        return 404;
    case ServiceError::Kind::TooLarge:
        return 413;
    case ServiceError::Kind::BusinessRule:
        return 422;
    case ServiceError::Kind::Conflict:
    case ServiceError::Kind::Unavailable:
    case ServiceError::Kind::DirectoryDown:
        return 503;
    case ServiceError::Kind::Database:
    case ServiceError::Kind::Internal:
        return 500;
    }
    return 500;
}

ErrorAnswer ErrorMapping::answer(const ServiceError &error)
{
    ErrorAnswer answer;
    answer.status = httpStatus(error.kind());
    if (!error.isServerFailure()) {
        answer.text = error.message();
        answer.logText = error.message();
        if (error.kind() == ServiceError::Kind::BusinessRule)
            answer.details = error.details();
        if (error.kind() == ServiceError::Kind::DirectoryDown && !error.detail().isEmpty())
            answer.logText += QStringLiteral(": ") + error.detail();
        return answer;
    }
    const QString reference = ErrorReference::next();
    const bool passing = answer.status == 503;
    const QString summary =
        error.kind() == ServiceError::Kind::Internal ? QStringLiteral("Erro interno no servidor") : error.message();
    answer.text = QStringLiteral("%1 (ref. %2). %3")
                      .arg(summary, reference,
                           passing ? QStringLiteral("Tente novamente em instantes; se persistir, informe o suporte.")
                                   : QStringLiteral("Tente novamente; se persistir, informe o suporte."));
    answer.reference = reference;
    answer.logText = error.message();
    if (!error.detail().isEmpty())
        answer.logText += QStringLiteral(": ") + error.detail();
    return answer;
}

QString ErrorMapping::messageForStatus(int status)
{
    switch (status) {
    case 400:
        return QStringLiteral("Requisição HTTP inválida.");
    case 404:
        return QStringLiteral("Caminho desconhecido: use POST /rdm/<objeto>/<método>.");
    case 405:
        return QStringLiteral("Método HTTP não aceito: use POST.");
    case 408:
        return QStringLiteral("Requisição não recebida a tempo.");
    case 413:
        return QStringLiteral("Requisição maior que o servidor aceita.");
    case 431:
        return QStringLiteral("Cabeçalhos da requisição maiores que o servidor aceita.");
    case 503:
        return QStringLiteral("Servidor ocupado: muitas chamadas em espera. Tente novamente em instantes.");
    default:
        return QStringLiteral("Erro HTTP %1.").arg(status);
    }
}

}  // namespace commission

#include "hostmessages.h"

#include "dialogseam.h"
#include "hosttext.h"
#include "silentabort.h"

namespace {

const QString noDataText = QStringLiteral("O servidor não retornou dados.");
const QString unexpectedAnswerText = QStringLiteral("O servidor retornou uma resposta inesperada.");

}  // namespace

void MensErro(const QString &text, bool abort, const QString &informative)
{
    DialogSeam::current().showError(text, informative);
    if (abort)
        Abort();
}

// `context` is the help context of the message, which this platform has no use for.
QJsonValue CheckResultServ(const QJsonValue &answer, bool raiseAbort, int /*context*/)
{
    if (answer.isObject() || answer.isArray())
        return answer;
    QString problem;
    if (answer.isString())
        problem = EmptyString(answer.toString()) ? noDataText : answer.toString();
    else if (answer.isNull() || answer.isUndefined())
        problem = noDataText;
    else
        problem = unexpectedAnswerText;
    MensErro(problem, raiseAbort);
    return QJsonValue();
}

QString InvalidDateText(const QString &typed)
{
    return QStringLiteral("Data inválida: %1. Informe uma data existente, no formato dd/mm/aaaa.").arg(typed.trimmed());
}

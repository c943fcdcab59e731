#include "calllog.h"

#include <QDateTime>

#include <cstdio>
#include <mutex>

namespace commission {

CallLog::CallLog(LogSink sink, QString method) : m_sink(std::move(sink)), m_method(std::move(method))
{
    m_timer.start();
}

CallLog::~CallLog()
{
    const QString outcome = m_outcome.isEmpty() ? QStringLiteral("error 500 (erro inesperado)") : m_outcome;
    const double milliseconds = m_timer.nsecsElapsed() / 1e6;
    m_sink(QStringLiteral("%1 %2 filial=%3 operador=%4 %5 ms %6")
               .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs), m_method,
                    m_branch.isEmpty() ? QStringLiteral("-") : m_branch,
                    m_operator.isEmpty() ? QStringLiteral("-") : m_operator)
               .arg(milliseconds, 0, 'f', 1)
               .arg(outcome));
}

void CallLog::succeeded(const QString &refusal)
{
    m_outcome = refusal.isEmpty() ? QStringLiteral("ok") : QStringLiteral("refused %1").arg(refusal);
}

void CallLog::failed(int status, const QString &message)
{
    m_outcome = QStringLiteral("error %1 %2").arg(status).arg(message.simplified());
}

LogSink CallLog::standardError()
{
    return [](const QString &line) {
        static std::mutex mutex;
        const QByteArray bytes = line.toUtf8() + '\n';
        const std::lock_guard<std::mutex> lock(mutex);
        std::fwrite(bytes.constData(), 1, bytes.size(), stderr);
        std::fflush(stderr);
    };
}

}  // namespace commission

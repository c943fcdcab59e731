#include "calllog.h"

#include "logline.h"
#include "servermetrics.h"

#include <cstdio>
#include <mutex>

namespace commission {

namespace {

QString orDash(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}

}  // namespace

CallLog::CallLog(LogSink sink, QString method, ServerMetrics *metrics)
    : m_sink(std::move(sink)), m_metrics(metrics), m_method(std::move(method))
{
    m_timer.start();
}

CallLog::~CallLog()
{
    const qint64 nanoseconds = m_timer.nsecsElapsed();
    if (m_status == 0) {
        m_status = 500;
        m_message = QStringLiteral("erro inesperado");
    }
    if (m_metrics)
        m_metrics->recordCall(m_method, m_status, nanoseconds);
    LogLine line(m_status >= 500 ? "error" : "info");
    if (!m_reference.isEmpty())
        line.add("ref", m_reference);
    line.add("method", m_method)
        .add("filial", orDash(m_branch))
        .add("operador", orDash(m_operator))
        .add("status", m_status)
        .addTenths("ms", double(nanoseconds) / 1e6)
        .add("bytes", m_bytes);
    if (!m_message.isEmpty())
        line.add("msg", m_message);
    m_sink(line.text());
}

void CallLog::succeeded(const QString &refusal)
{
    m_status = 200;
    m_message = refusal;
}

void CallLog::failed(int status, const QString &message, const QString &reference)
{
    m_status = status;
    m_message = message.simplified();
    m_reference = reference;
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

#include "servermetrics.h"

#include <remotecontract.h>

#ifndef COMMISSION_VERSION
#define COMMISSION_VERSION "0"
#endif

namespace commission {

namespace {

// A label value of the text format: backslash, quote and line feed escaped.
std::string labelValue(const QString &value)
{
    std::string escaped;
    for (const char c : value.toStdString()) {
        if (c == '\\' || c == '"')
            escaped += '\\';
        if (c == '\n') {
            escaped += "\\n";
            continue;
        }
        escaped += c;
    }
    return escaped;
}

void family(std::string &out, const char *name, const char *type, const char *help)
{
    out += std::string("# HELP ") + name + ' ' + help + '\n';
    out += std::string("# TYPE ") + name + ' ' + type + '\n';
}

void sample(std::string &out, const char *name, qint64 value)
{
    out += std::string(name) + ' ' + std::to_string(value) + '\n';
}

}  // namespace

const QString ServerMetrics::otherMethod = QStringLiteral("outro");

ServerMetrics::ServerMetrics(const QStringList &methods)
{
    QStringList labels = methods;
    labels.sort();
    const QString session = QString::fromLatin1(contract::RemoteContract::sessionPath);
    labels << QStringLiteral("POST ") + session << QStringLiteral("DELETE ") + session << otherMethod;
    for (const QString &label : std::as_const(labels)) {
        m_index.insert(label, m_slots.size());
        m_slots.push_back(std::make_unique<MethodSlot>());
        m_slots.back()->label = labelValue(label);
    }
}

QString ServerMetrics::label(const QString &method) const
{
    if (m_index.contains(method))
        return method;
    // "VERB /path (note)": a request refused before it ran, named by its
    // request line.
    const qsizetype space = method.indexOf(u' ');
    if (space <= 0)
        return otherMethod;
    QStringView path = QStringView(method).mid(space + 1);
    const qsizetype end = path.indexOf(u' ');
    if (end >= 0)
        path = path.left(end);
    const qsizetype query = path.indexOf(u'?');
    if (query >= 0)
        path = path.left(query);
    const QString request = method.left(space + 1) + path.toString();
    if (m_index.contains(request))
        return request;
    if (path.startsWith(u"/rdm/")) {
        const QString last = path.mid(path.lastIndexOf(u'/') + 1).toString();
        if (m_index.contains(last))
            return last;
    }
    return otherMethod;
}

ServerMetrics::MethodSlot &ServerMetrics::slotOf(const QString &method)
{
    const auto found = m_index.constFind(method);
    if (found != m_index.constEnd())
        return *m_slots[found.value()];
    return *m_slots[m_index.value(label(method))];
}

void ServerMetrics::recordCall(const QString &method, int status, qint64 nanoseconds)
{
    MethodSlot &slot = slotOf(method);
    if (status >= firstStatus && status <= lastStatus)
        slot.byStatus[std::size_t(status - firstStatus)].fetch_add(1, std::memory_order_relaxed);
    slot.latency.observe(nanoseconds);
}

std::string ServerMetrics::text() const
{
    std::string out;
    out.reserve(16 << 10);
    family(out, "commission_calls_total", "counter", "Chamadas respondidas, por método e status HTTP.");
    for (const std::unique_ptr<MethodSlot> &slot : m_slots) {
        for (std::size_t i = 0; i < slot->byStatus.size(); ++i) {
            const quint64 count = slot->byStatus[i].load(std::memory_order_relaxed);
            if (count > 0)
                out += "commission_calls_total{method=\"" + slot->label + "\",status=\""
                       + std::to_string(int(i) + firstStatus) + "\"} " + std::to_string(count) + '\n';
        }
    }
    family(out, "commission_call_duration_seconds", "histogram",
           "Tempo das chamadas no servidor, da requisição lida à resposta pronta, por método.");
    for (const std::unique_ptr<MethodSlot> &slot : m_slots)
        slot->latency.write(out, "commission_call_duration_seconds", "method=\"" + slot->label + "\"");

    const ServerGauges gauges = m_gauges ? m_gauges() : ServerGauges{};
    family(out, "commission_queue_length", "gauge", "Chamadas à espera de um trabalhador.");
    sample(out, "commission_queue_length", gauges.queueLength);
    family(out, "commission_busy_workers", "gauge", "Chamadas em execução.");
    sample(out, "commission_busy_workers", gauges.busyWorkers);
    family(out, "commission_open_connections", "gauge", "Conexões de clientes abertas.");
    sample(out, "commission_open_connections", gauges.openConnections);
    family(out, "commission_database_errors_total", "counter",
           "Chamadas que falharam no banco de dados (comando, conexão, conflito).");
    sample(out, "commission_database_errors_total", qint64(m_databaseErrors.load(std::memory_order_relaxed)));
    family(out, "commission_database_retries_total", "counter",
           "Transações repetidas depois de um conflito no banco de dados.");
    sample(out, "commission_database_retries_total", qint64(m_databaseRetries.load(std::memory_order_relaxed)));
    family(out, "commission_build_info", "gauge", "Versão do servidor (sempre 1).");
    out += "commission_build_info{version=\"" + labelValue(version()) + "\"} 1\n";
    return out;
}

QString ServerMetrics::version()
{
    return QStringLiteral(COMMISSION_VERSION);
}

}  // namespace commission

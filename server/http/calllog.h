#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>

namespace commission {

class ServerMetrics;

// Receives one finished log line.
using LogSink = std::function<void(const QString &line)>;

// The log line of one call, in logfmt (docs/server.md, "Log"):
//   ts=2026-12-09T14:00:00.123Z level=info method=GetVendedores filial=0001 operador=ADMIN status=200 ms=2.1 bytes=5120
//   ts=... level=info method=SetComissao filial=0001 operador=ADMIN status=200 ms=3.1 bytes=30 msg=COMISSAO_GERADA
//   ts=... level=error ref=20261208-0042 method=SetComissao filial=- operador=ADMIN status=500 ms=3.0 bytes=120
//          msg="Falha no banco de dados: ..."
// Written when the object goes, so a call left by an unforeseen exception
// still gets its line (as a 500); the call is counted in the metrics then
// too, when given them.
class CallLog {
public:
    CallLog(LogSink sink, QString method, ServerMetrics *metrics = nullptr);
    ~CallLog();

    CallLog(const CallLog &) = delete;
    CallLog &operator=(const CallLog &) = delete;

    void setBranch(const QString &branch) { m_branch = branch; }
    // The operator's code only: nothing secret ever reaches the line.
    void setOperator(const QString &code) { m_operator = code; }
    // Answered 200; `refusal` is the catalogue key of a refused generation.
    void succeeded(const QString &refusal);
    // `reference` ties the line to the text of a 5xx answer.
    void failed(int status, const QString &message, const QString &reference = QString());
    // The size of the answer's body.
    void setBytes(qint64 bytes) { m_bytes = bytes; }

    // Standard error, one whole line at a time from any thread.
    static LogSink standardError();

private:
    LogSink m_sink;
    ServerMetrics *m_metrics;
    QString m_method;
    QString m_branch;
    QString m_operator;
    QString m_message;
    QString m_reference;
    int m_status = 0;  // 0: no outcome was told
    qint64 m_bytes = 0;
    QElapsedTimer m_timer;
};

}  // namespace commission

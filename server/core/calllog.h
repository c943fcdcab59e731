#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>

namespace commission {

// Receives one finished log line.
using LogSink = std::function<void(const QString &line)>;

// The log line of one call: time, method, branch, duration and outcome,
//   2024-06-01T10:15:02.123Z GetVendedores filial=0001 operador=ADMIN 12.4 ms ok
//   ... SetComissao filial=0001 3.1 ms refused COMISSAO_GERADA
//   ... SetComissao filial=- 0.2 ms error 400 Operador não informado.
// Written when the object goes, so a call left by an unforeseen exception
// still gets its line (as an error 500).
class CallLog {
public:
    CallLog(LogSink sink, QString method);
    ~CallLog();

    CallLog(const CallLog &) = delete;
    CallLog &operator=(const CallLog &) = delete;

    void setBranch(const QString &branch) { m_branch = branch; }
    void setOperator(const QString &code) { m_operator = code; }
    void succeeded(const QString &refusal);
    void failed(int status, const QString &message);

    // Standard error, one whole line at a time from any thread.
    static LogSink standardError();

private:
    LogSink m_sink;
    QString m_method;
    QString m_branch;
    QString m_operator;
    QString m_outcome;
    QElapsedTimer m_timer;
};

}  // namespace commission

#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonArray>
#include <QJsonValue>
#include <QMutex>
#include <QString>

#include <functional>
#include <memory>
#include <thread>

namespace httplib {
class Server;
}

// A commission server for tests on 127.0.0.1 and a free port: every method
// answers what the test scripted for it, and every call is counted and its
// arguments kept. Unscripted methods answer 404.
class ScriptedCommissionServer {
public:
    struct Reply {
        int status = 200;
        QByteArray body;
        int delayMs = 0;  // the answer leaves only after this time

        static Reply result(const QJsonValue &value);            // {"result": value}
        static Reply error(int status, const QString &message);  // {"error": message}
        static Reply raw(const QByteArray &body);                // anything, status 200
    };
    using Script = std::function<Reply(const QJsonArray &arguments)>;

    ScriptedCommissionServer();
    ~ScriptedCommissionServer();

    int port() const { return m_port; }

    // Sets what a method answers from now on.
    void script(const QString &method, const Script &answer);
    void answer(const QString &method, const Reply &reply);

    int calls(const QString &method) const;
    // The argument list ({"kind", "ref", "value"} objects) of every call, in order.
    QList<QJsonArray> arguments(const QString &method) const;
    void resetCounts();

private:
    Reply handle(const QString &method, const QByteArray &body);

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable QMutex m_mutex;
    QHash<QString, Script> m_scripts;
    QHash<QString, QList<QJsonArray>> m_calls;
};

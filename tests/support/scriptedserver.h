#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonArray>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

// An HTTP server for tests on 127.0.0.1 and a port the system picks, run on a
// thread of its own, standing in for the application server. Every request is
// recorded; what a method call answers comes, in this order, from the
// session check set with requireBearer, from the replies queued with
// answerNext, from the method's script, from the reply set with
// answerEveryCall; with none of these, 404. Sign-in (POST /sessao) answers
// from its script (scriptSignIn), sign-out (DELETE /sessao) 200 unless
// answerSignOut says otherwise.
class ScriptedServer {
public:
    struct Reply {
        int status = 200;
        QByteArray body;
        int delayMs = 0;        // the answer leaves only after this time
        bool withheld = false;  // the answer leaves only once releaseWithheld() is called

        // A server that does not answer: `reply` is held back until
        // releaseWithheld(), or dropped when the server goes.
        static Reply withheldUntilReleased(Reply reply);
        static Reply result(const QJsonValue &value);            // {"result": value}
        static Reply error(int status, const QString &message);  // {"error": message}
        static Reply raw(const QByteArray &body);                // anything, status 200
        static Reply resultText(const QByteArray &json);         // {"result": json}, the text as it is
        // A sign-in's answer; `rights` as the server grants them
        // ([{"filial", "direitos"}]), every right at every branch by default.
        static Reply signedIn(const QString &token, const QString &operatorCode, const QString &name,
                              const QJsonArray &rights = everyRight());
        static QJsonArray everyRight();  // [{"filial": "*", "direitos": ["consultar", "gerar", "cancelar"]}]
    };
    using Script = std::function<Reply(const QJsonArray &arguments)>;
    using SignInScript = std::function<Reply(const QString &operatorCode, const QString &password)>;

    struct Request {
        QString path;
        QString verb;    // "POST", "DELETE"
        QString method;  // the remote method the path names; empty for any other path
        QString contentType;
        bool hasSecret = false;
        QString secret;
        QString bearer;  // the token of "Authorization: Bearer <token>"; empty without one
        QByteArray body;

        QJsonArray args() const;  // the "args" array of the body
    };

    ScriptedServer();
    ~ScriptedServer();

    ScriptedServer(const ScriptedServer &) = delete;
    ScriptedServer &operator=(const ScriptedServer &) = delete;

    int port() const;
    // The TCP connections accepted so far, and those of them not yet closed
    // (by either end, or by the keep-alive time-out).
    int connectionsAccepted() const;
    int connectionsOpen() const;

    // What a method answers from now on.
    void script(const QString &method, const Script &answer);
    void answer(const QString &method, const Reply &reply);
    // What any call no script answers gets from now on.
    void answerEveryCall(const Reply &reply);
    // The next call's answer, before any script; queued in call order.
    void answerNext(const Reply &reply);
    void setKeepAliveTimeoutSeconds(int seconds);  // before the first call
    // Sends the answers withheld so far.
    void releaseWithheld();

    // What POST /sessao answers, given the operator and password it got;
    // without a script, 404.
    void scriptSignIn(const SignInScript &answer);
    void answerSignOut(const Reply &reply);
    // From now on a method call that does not carry this token answers 401
    // "Sessão encerrada ou expirada. Entre novamente." (empty: no check).
    void requireBearer(const QString &token);
    static const QString sessionEndedText;
    QList<Request> sessionRequests() const;  // the requests to /sessao, in order

    QList<Request> requests() const;
    Request lastRequest() const;
    int calls(const QString &method) const;
    // The argument list ({"kind", "ref", "value"} objects) of every call of a method, in order.
    QList<QJsonArray> arguments(const QString &method) const;
    void resetCounts();

    // A port on 127.0.0.1 where nothing listens and nothing else can listen
    // while the test runs.
    static int closedPort();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

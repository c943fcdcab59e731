#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QString>
#include <QVector>

#include <memory>

// A small HTTP server on 127.0.0.1 (any free port), run on its own thread, that
// records every call and answers with what the test sets.
class FakeServiceHost {
public:
    struct Request {
        QString path;
        QString contentType;
        bool hasSecret = false;
        QString secret;
        QByteArray body;

        QJsonArray args() const;  // the "args" array of the body
    };

    struct Answer {
        int status = 200;
        QByteArray body = R"({"result":null})";
        int delayMs = 0;
    };

    FakeServiceHost();
    ~FakeServiceHost();

    int port() const;
    void answerWith(const Answer &answer);                // for every following call
    void answerFirstWith(const Answer &answer);           // for the next call only (queued)
    void answerWithResult(const QByteArray &resultJson);  // 200 {"result": ...}
    void setKeepAliveTimeoutSeconds(int seconds);         // before the first call
    QVector<Request> requests() const;
    Request lastRequest() const;

    // A port on 127.0.0.1 where nothing listens.
    static int closedPort();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

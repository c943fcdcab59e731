#pragma once

#include <QByteArray>
#include <QVector>

// One answer as it came over the wire.
struct RawAnswer {
    int status = 0;
    QByteArray headers;  // the header lines, as sent
    QByteArray body;

    QByteArray header(const QByteArray &name) const;
};

// A client that writes exactly the bytes it is given, for requests no HTTP
// library would send: pipelined, half-closed, conflicting, slow, endless.
class RawHttpClient {
public:
    // A receive buffer of `receiveBufferBytes` (0: the system's) makes a
    // client that reads late stall a large answer in the server.
    explicit RawHttpClient(int port, int receiveBufferBytes = 0);
    ~RawHttpClient();

    RawHttpClient(const RawHttpClient &) = delete;
    RawHttpClient &operator=(const RawHttpClient &) = delete;

    bool isConnected() const { return m_socket >= 0; }
    // False once the server has closed the connection.
    bool send(const QByteArray &bytes);
    void halfClose();
    // Reads until `count` whole answers are in, the server closes, or the
    // time runs out; the answers read so far.
    QVector<RawAnswer> readAnswers(int count, int timeoutMs);
    // Whether an answer or a close is waiting to be read.
    bool hasSomethingToRead(int timeoutMs) const;
    // Waits until the server closes the connection; false when it stays open.
    bool waitForClose(int timeoutMs);

    // A POST as a client would send it, with Content-Length and the test
    // operator's session.
    static QByteArray post(const QByteArray &path, const QByteArray &body, const QByteArray &extraHeaders = {});
    static QByteArray callPath(const QByteArray &method);

private:
    // Reads what arrives within the time; false when nothing came (or the
    // connection was closed already).
    bool receive(qint64 timeoutMs);
    bool parseAnswers(QVector<RawAnswer> &answers);

    int m_socket = -1;
    QByteArray m_received;
    bool m_closed = false;
};

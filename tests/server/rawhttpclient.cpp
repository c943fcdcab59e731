#include "rawhttpclient.h"

#include "testserver.h"

#include <remotecontract.h>

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

QByteArray RawAnswer::header(const QByteArray &name) const
{
    for (const QByteArray &line : headers.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

RawHttpClient::RawHttpClient(int port, int receiveBufferBytes)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBufferBytes > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBufferBytes, sizeof receiveBufferBytes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return;
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    m_socket = fd;
}

RawHttpClient::~RawHttpClient()
{
    if (m_socket >= 0)
        ::close(m_socket);
}

bool RawHttpClient::send(const QByteArray &bytes)
{
    qsizetype sent = 0;
    while (m_socket >= 0 && sent < bytes.size()) {
        const ssize_t written = ::send(m_socket, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (written <= 0)
            return false;
        sent += written;
    }
    return m_socket >= 0;
}

void RawHttpClient::halfClose()
{
    ::shutdown(m_socket, SHUT_WR);
}

bool RawHttpClient::hasSomethingToRead(int timeoutMs) const
{
    pollfd waiting{m_socket, POLLIN, 0};
    return ::poll(&waiting, 1, timeoutMs) > 0;
}

QVector<RawAnswer> RawHttpClient::readAnswers(int count, int timeoutMs)
{
    QVector<RawAnswer> answers;
    QElapsedTimer clock;
    clock.start();
    while (!parseAnswers(answers) || answers.size() < count) {
        answers.clear();
        if (!receive(timeoutMs - clock.elapsed()))
            break;
    }
    answers.clear();
    parseAnswers(answers);
    return answers;
}

bool RawHttpClient::waitForClose(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!m_closed) {
        if (!receive(timeoutMs - clock.elapsed()))
            return false;
    }
    return true;
}

bool RawHttpClient::receive(qint64 timeoutMs)
{
    if (m_closed || timeoutMs <= 0 || !hasSomethingToRead(int(timeoutMs)))
        return false;
    char chunk[65536];
    const ssize_t got = ::recv(m_socket, chunk, sizeof chunk, 0);
    if (got <= 0)
        m_closed = true;
    else
        m_received.append(chunk, got);
    return true;
}

bool RawHttpClient::parseAnswers(QVector<RawAnswer> &answers)
{
    qsizetype at = 0;
    while (at < m_received.size()) {
        const qsizetype headerEnd = m_received.indexOf("\r\n\r\n", at);
        if (headerEnd < 0)
            return false;
        RawAnswer answer;
        const QByteArray head = m_received.mid(at, headerEnd - at);
        const qsizetype lineEnd = head.indexOf("\r\n");
        answer.status = head.left(lineEnd < 0 ? head.size() : lineEnd).split(' ').value(1).toInt();
        answer.headers = lineEnd < 0 ? QByteArray() : head.mid(lineEnd + 2);
        const qsizetype length = answer.header("Content-Length").toLongLong();
        if (m_received.size() < headerEnd + 4 + length)
            return false;
        answer.body = m_received.mid(headerEnd + 4, length);
        answers.append(answer);
        at = headerEnd + 4 + length;
    }
    return true;
}

QByteArray RawHttpClient::post(const QByteArray &path, const QByteArray &body, const QByteArray &extraHeaders)
{
    return "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
           + TestServer::authorizationLine() + extraHeaders + "Content-Length: " + QByteArray::number(body.size())
           + "\r\n\r\n" + body;
}

QByteArray RawHttpClient::callPath(const QByteArray &method)
{
    return contract::RemoteContract::path(QString::fromLatin1(method)).toLatin1();
}

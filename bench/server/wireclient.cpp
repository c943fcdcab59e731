#include "wireclient.h"

#include "benchsession.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string_view>

WireClient::WireClient(int port)
{
    m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int on = 1;
    ::setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (m_socket < 0 || ::connect(m_socket, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        throw std::runtime_error("sem conexão com a porta " + std::to_string(port));
}

WireClient::~WireClient()
{
    if (m_socket >= 0)
        ::close(m_socket);
}

void WireClient::send(const std::string &path, const std::string &body)
{
    const std::string request = "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
                                + BenchSession::headerLine() + "Content-Length: " + std::to_string(body.size())
                                + "\r\n\r\n" + body;
    for (size_t sent = 0; sent < request.size();) {
        const ssize_t written = ::send(m_socket, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (written <= 0)
            throw std::runtime_error(path + ": a conexão caiu");
        sent += size_t(written);
    }
    readAnswer(path);
}

void WireClient::readAnswer(const std::string &path)
{
    char chunk[65536];
    const auto receive = [&] {
        const ssize_t got = ::recv(m_socket, chunk, sizeof chunk, 0);
        if (got <= 0)
            throw std::runtime_error(path + ": a conexão caiu");
        m_buffer.append(chunk, size_t(got));
    };
    size_t headersEnd = std::string::npos;
    while ((headersEnd = m_buffer.find("\r\n\r\n")) == std::string::npos)
        receive();
    const std::string_view headers(m_buffer.data(), headersEnd);
    const int status = std::atoi(m_buffer.c_str() + m_buffer.find(' ') + 1);
    size_t length = 0;
    for (const std::string_view name : {"Content-Length: ", "content-length: "}) {
        const size_t at = headers.find(name);
        if (at != std::string_view::npos)
            length = size_t(std::strtoull(m_buffer.c_str() + at + name.size(), nullptr, 10));
    }
    const size_t total = headersEnd + 4 + length;
    while (m_buffer.size() < total)
        receive();
    if (status != 200)
        throw std::runtime_error(path + ": HTTP " + std::to_string(status) + " "
                                 + m_buffer.substr(headersEnd + 4, length));
    m_buffer.erase(0, total);
}

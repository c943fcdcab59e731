#include "loopbackfloor.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

LoopbackFloor::LoopbackFloor()
{
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(m_listener, 1) != 0
        || ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        throw std::runtime_error("nenhuma porta livre no loopback");
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

LoopbackFloor::~LoopbackFloor()
{
    ::shutdown(m_listener, SHUT_RDWR);  // ends a waiting accept
    ::close(m_listener);
    m_thread.join();
}

void LoopbackFloor::serve()
{
    const int connection = ::accept(m_listener, nullptr, nullptr);
    if (connection < 0)
        return;
    const int on = 1;
    ::setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    const std::string answer =
        "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 15\r\n\r\n{\"result\":null}";
    std::string buffer;
    char chunk[65536];
    for (;;) {
        const size_t headersEnd = buffer.find("\r\n\r\n");
        if (headersEnd != std::string::npos) {
            const size_t at = buffer.find("Content-Length: ");
            const size_t length = at < headersEnd ? size_t(std::strtoull(buffer.c_str() + at + 16, nullptr, 10)) : 0;
            if (buffer.size() >= headersEnd + 4 + length) {
                buffer.erase(0, headersEnd + 4 + length);
                if (::send(connection, answer.data(), answer.size(), MSG_NOSIGNAL) <= 0)
                    break;
                continue;
            }
        }
        const ssize_t got = ::recv(connection, chunk, sizeof chunk, 0);
        if (got <= 0)
            break;
        buffer.append(chunk, size_t(got));
    }
    ::close(connection);
}

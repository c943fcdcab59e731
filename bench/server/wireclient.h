#pragma once

#include <string>

// The least a client can do for a call: one kept-alive socket, the request
// written as prepared, the answer's status line and headers read and its
// body skipped by its length. The measures time calls through it, so what
// they show is the server's.
class WireClient {
public:
    explicit WireClient(int port);
    ~WireClient();

    WireClient(const WireClient &) = delete;
    WireClient &operator=(const WireClient &) = delete;

    // Posts `body` to `path`; raises std::runtime_error for anything but 200.
    void send(const std::string &path, const std::string &body);

private:
    void readAnswer(const std::string &path);

    int m_socket = -1;
    std::string m_buffer;
};

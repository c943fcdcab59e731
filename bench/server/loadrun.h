#pragma once

#include <QString>

struct LoadOptions {
    int port = 8211;
    int clients = 8;
    int seconds = 20;
    QString operatorCode = QStringLiteral("ADMIN");  // every client shares this operator's session
    QString password;
};

// Many screens at once against a running commission server on this machine:
// each client, on its own kept-alive connection, lists the salespeople of a
// branch for the last two months and the quotes of the first of them, again
// and again, for the given time. Prints calls per second, the median and
// 99th percentile, the longest wait of any call, how many clients got no
// answer at all, and the errors.
class LoadRun {
public:
    explicit LoadRun(const LoadOptions &options) : m_options(options) {}
    int run();

private:
    LoadOptions m_options;
};

#pragma once

#include <QDate>
#include <QString>

namespace commission {

// A short reference that ties what a caller was told to the full line in the
// server's log: the day and a number counting up in this process,
// "20261208-0042". The first number of a process is drawn at random, so two
// servers that share a log store rarely hand out the same reference on a day.
class ErrorReference {
public:
    static QString next();
    static QString format(const QDate &day, quint32 number);
};

}  // namespace commission

#pragma once

#include <QString>

#include <functional>

class QIODevice;

// A file written whole or not at all: `fill` writes into a temporary file
// that takes the name only when everything went in, so a failure leaves
// what was there before. Empty on success, else why not, for the operator.
class WholeFile {
public:
    static QString write(const QString &path, const std::function<bool(QIODevice &)> &fill);
};

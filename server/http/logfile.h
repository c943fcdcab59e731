#pragma once

#include "calllog.h"

#include <QString>

#include <mutex>

namespace commission {

// Where the serving server writes its log: standard error (journald takes
// it under systemd), or a file opened for appending. reopen() opens the
// path anew, so that after logrotate has renamed the file (and sent SIGHUP)
// the next lines go to a new file under the old name. Whole lines, from any
// thread.
class LogFile {
public:
    // An empty path: standard error.
    explicit LogFile(QString path = QString());
    ~LogFile();

    LogFile(const LogFile &) = delete;
    LogFile &operator=(const LogFile &) = delete;

    // Why the file cannot be opened, in Portuguese; empty when it is open
    // (always for standard error).
    QString open();
    // The same for the path again; on failure the lines keep going where
    // they went.
    QString reopen();
    void write(const QString &line);
    // A sink that writes here; the file must outlive it.
    LogSink sink();

    const QString &path() const { return m_path; }

private:
    // The descriptor for the path, or -1 with the reason in `problem`.
    int openPath(QString *problem) const;

    QString m_path;
    std::mutex m_mutex;
    int m_fd;
};

}  // namespace commission

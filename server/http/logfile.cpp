#include "logfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace commission {

LogFile::LogFile(QString path) : m_path(std::move(path)), m_fd(STDERR_FILENO) {}

LogFile::~LogFile()
{
    if (m_fd != STDERR_FILENO)
        ::close(m_fd);
}

int LogFile::openPath(QString *problem) const
{
    const QByteArray name = m_path.toLocal8Bit();
    const int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0640);
    if (fd < 0)
        *problem = QStringLiteral("Não foi possível abrir o arquivo de log %1: %2.")
                       .arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
    return fd;
}

QString LogFile::open()
{
    return reopen();
}

QString LogFile::reopen()
{
    if (m_path.isEmpty())
        return QString();
    QString problem;
    const int fd = openPath(&problem);
    if (fd < 0)
        return problem;
    int old = fd;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        std::swap(old, m_fd);
    }
    if (old != STDERR_FILENO)
        ::close(old);
    return QString();
}

void LogFile::write(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    const std::lock_guard<std::mutex> lock(m_mutex);
    // One write of the whole line with O_APPEND: lines of other processes
    // on the same file never cut into it.
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;  // a full disk loses the line, not the call
        data += written;
        left -= written;
    }
}

LogSink LogFile::sink()
{
    return [this](const QString &line) { write(line); };
}

}  // namespace commission

#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

namespace commission {

struct ServerOptions;

// The server's configuration file (--config): one setting a line,
// "key = value" with an option's name without its dashes as the key; a switch
// is a bare key or "key = true/false". A line whose first character other
// than a blank is '#' is a comment; a '#' further on belongs to the value, as
// a secret may hold one. The settings become the command-line arguments they
// stand for, placed before the real ones, so every option reads the same from
// both and the command line overrides the file.
class ServerConfigFile {
public:
    struct Setting {
        int line = 0;
        QString key;
        QString argument;  // "--key=value", or "--key" for a switch that is on
    };

    // Reads the file. `options` are every option of the server, `commands`
    // the names among them that are commands rather than settings. Raises
    // std::invalid_argument naming the file and the line (or only the file
    // when it cannot be read).
    static ServerConfigFile read(const QString &path, const QList<QCommandLineOption> &options,
                                 const QStringList &commands);

    const QString &path() const { return m_path; }
    const QList<Setting> &settings() const { return m_settings; }

    // The program's name, the file's settings, then `commandLine` after its
    // first element (the program's name).
    QStringList arguments(const QStringList &commandLine) const;

    // Raises `refusal` again, naming the line it comes from: the first
    // setting without which `check` (a parse of the arguments) no longer
    // refuses them with the same message. Unchanged when no setting of the
    // file is the cause (the command line is).
    [[noreturn]] void blame(const std::invalid_argument &refusal, const QStringList &commandLine,
                            const std::function<void(const QStringList &)> &check) const;

    // The effective settings in the file's own format, the secret and the
    // database's password masked (--check-config).
    static QString describe(const ServerOptions &options);

private:
    QString at(int line, const QString &reason) const;

    QString m_path;
    QList<Setting> m_settings;
};

}  // namespace commission

#include "serverconfigfile.h"

#include "serveroptions.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace commission {

namespace {

const QString mask = QStringLiteral("********");

[[noreturn]] void refuse(const QString &message)
{
    throw std::invalid_argument(message.toStdString());
}

const QCommandLineOption *find(const QList<QCommandLineOption> &options, const QString &key)
{
    for (const QCommandLineOption &option : options) {
        if (option.names().contains(key))
            return &option;
    }
    return nullptr;
}

// A PostgreSQL address with its password replaced by the mask; a file path
// as it is.
QString maskedDatabase(const QString &database)
{
    if (!database.contains(QLatin1String("://")))
        return database;
    QUrl url(database);
    if (!url.isValid() || url.password().isEmpty())
        return database;
    url.setPassword(mask);
    return url.toString();
}

}  // namespace

QString ServerConfigFile::at(int line, const QString &reason) const
{
    return QStringLiteral("%1, linha %2: %3").arg(m_path).arg(line).arg(reason);
}

ServerConfigFile ServerConfigFile::read(const QString &path, const QList<QCommandLineOption> &options,
                                        const QStringList &commands)
{
    ServerConfigFile file;
    file.m_path = path;
    QFile source(path);
    if (!QFileInfo::exists(path))
        refuse(QStringLiteral("O arquivo de configuração %1 não existe.").arg(path));
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text))
        refuse(QStringLiteral("O arquivo de configuração %1 não pode ser lido.").arg(path));

    const QStringList lines = QString::fromUtf8(source.readAll()).split(QLatin1Char('\n'));
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const int number = int(index) + 1;
        const QString line = lines[index].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        const QString key = (equals < 0 ? line : line.left(equals)).trimmed();
        const QString value = equals < 0 ? QString() : line.mid(equals + 1).trimmed();
        if (key.isEmpty())
            refuse(file.at(number, QStringLiteral("falta o nome da opção antes de \"=\".")));
        if (key.startsWith(QLatin1Char('-')))
            refuse(file.at(number, QStringLiteral("escreva o nome da opção sem os traços (%1).").arg(key)));
        const QCommandLineOption *option = find(options, key);
        if (option == nullptr)
            refuse(file.at(number, QStringLiteral("opção desconhecida \"%1\".").arg(key)));
        if (commands.contains(key))
            refuse(file.at(
                number,
                QStringLiteral("\"%1\" é um comando, não uma configuração; use-o na linha de comando.").arg(key)));
        const bool isSwitch = option->valueName().isEmpty();
        Setting setting{number, key, QString()};
        if (isSwitch) {
            if (equals >= 0 && value.compare(QLatin1String("true"), Qt::CaseInsensitive) != 0
                && value.compare(QLatin1String("false"), Qt::CaseInsensitive) != 0)
                refuse(file.at(number, QStringLiteral("\"%1\" aceita só true ou false.").arg(key)));
            if (equals >= 0 && value.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
                continue;
            setting.argument = QStringLiteral("--%1").arg(key);
        } else {
            if (equals < 0)
                refuse(file.at(number, QStringLiteral("falta o valor de \"%1\" (%1 = valor).").arg(key)));
            setting.argument = QStringLiteral("--%1=%2").arg(key, value);
        }
        file.m_settings.append(setting);
    }
    return file;
}

QStringList ServerConfigFile::arguments(const QStringList &commandLine) const
{
    QStringList result{commandLine.value(0)};
    for (const Setting &setting : m_settings)
        result.append(setting.argument);
    result.append(commandLine.mid(1));
    return result;
}

void ServerConfigFile::blame(const std::invalid_argument &refusal, const QStringList &commandLine,
                             const std::function<void(const QStringList &)> &check) const
{
    const std::string message = refusal.what();
    for (qsizetype i = 0; i < m_settings.size(); ++i) {
        ServerConfigFile without = *this;
        without.m_settings.removeAt(i);
        try {
            check(without.arguments(commandLine));
        } catch (const std::invalid_argument &other) {
            if (message == other.what())
                continue;
        }
        refuse(at(m_settings[i].line, QString::fromStdString(message)));
    }
    throw refusal;
}

QString ServerConfigFile::describe(const ServerOptions &options)
{
    const auto line = [](const QString &key, const QString &value) {
        // An unset value stays a comment, so the text reads back as a file.
        return value.isEmpty() ? QStringLiteral("# %1 =\n").arg(key) : QStringLiteral("%1 = %2\n").arg(key, value);
    };
    QString text =
        options.configFile.isEmpty()
            ? QStringLiteral("# Configuração efetiva (sem arquivo de configuração)\n")
            : QStringLiteral("# Configuração efetiva (arquivo %1 e linha de comando)\n").arg(options.configFile);
    text += line(QStringLiteral("database"), maskedDatabase(options.database));
    text += line(QStringLiteral("listen"), options.listenAddress);
    text += line(QStringLiteral("port"), QString::number(options.port));
    text += line(QStringLiteral("secret"), options.secret.isEmpty() ? QString() : mask);
    text += line(QStringLiteral("tls-cert"), options.tlsCertificate);
    text += line(QStringLiteral("tls-key"), options.tlsKey);
    text += line(QStringLiteral("threads"), QString::number(options.threads));
    text += line(QStringLiteral("io-threads"), QString::number(options.ioThreads));
    text += line(QStringLiteral("queue"), QString::number(options.queueLimit));
    text += line(QStringLiteral("header-timeout"), QString::number(options.headerTimeoutSeconds));
    text += line(QStringLiteral("body-timeout"), QString::number(options.bodyTimeoutSeconds));
    text += line(QStringLiteral("idle-timeout"), QString::number(options.idleTimeoutSeconds));
    text += line(QStringLiteral("ldap-url"), options.directory.url);
    text += line(QStringLiteral("ldap-base"), options.directory.base);
    text += line(QStringLiteral("ldap-attribute"), options.directory.attribute);
    text += line(QStringLiteral("stop-timeout"), QString::number(options.stopTimeoutSeconds));
    text += line(QStringLiteral("log-file"), options.logFile);
    return text;
}

}  // namespace commission

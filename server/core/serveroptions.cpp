#include "serveroptions.h"

#include <QCommandLineParser>

#include <stdexcept>

namespace commission {

namespace {

[[noreturn]] void refuse(const QString &message)
{
    throw std::invalid_argument(message.toStdString());
}

int number(const QString &text, const QString &option, int least, int most)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < least || value > most)
        refuse(QStringLiteral("--%1 deve ser um número de %2 a %3.").arg(option).arg(least).arg(most));
    return value;
}

}  // namespace

bool ServerOptions::isLoopback(const QString &address)
{
    return address == QLatin1String("localhost") || address == QLatin1String("::1")
           || address.startsWith(QLatin1String("127."));
}

QString ServerOptions::usage()
{
    return QStringLiteral(
        "Uso: commission-server [opções]\n"
        "  --database BANCO   arquivo SQLite (padrão commission.db) ou postgresql://usuário@host:porta/banco\n"
        "  --listen ENDEREÇO  endereço de escuta (padrão 127.0.0.1)\n"
        "  --port PORTA       porta (padrão 8211; 0 escolhe uma livre)\n"
        "  --secret SEGREDO   segredo compartilhado exigido em X-Commission-Secret\n"
        "                     (ou COMMISSION_SERVER_SECRET); obrigatório fora do loopback\n"
        "  --threads N        threads de atendimento (padrão 16)\n"
        "  --create-demo      cria o banco de demonstração e termina\n");
}

ServerOptions ServerOptions::parse(const QStringList &arguments, const QString &secretFromEnvironment)
{
    QCommandLineParser parser;
    const QCommandLineOption database(QStringLiteral("database"), QString(), QStringLiteral("banco"));
    const QCommandLineOption listen(QStringLiteral("listen"), QString(), QStringLiteral("endereço"));
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("porta"));
    const QCommandLineOption secret(QStringLiteral("secret"), QString(), QStringLiteral("segredo"));
    const QCommandLineOption threads(QStringLiteral("threads"), QString(), QStringLiteral("n"));
    const QCommandLineOption createDemo(QStringLiteral("create-demo"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    parser.addOptions({database, listen, port, secret, threads, createDemo, help});
    if (!parser.parse(arguments))
        refuse(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        refuse(QStringLiteral("Argumento inesperado: %1").arg(parser.positionalArguments().first()));

    ServerOptions options;
    options.showHelp = parser.isSet(help);
    options.createDemo = parser.isSet(createDemo);
    if (parser.isSet(database))
        options.database = parser.value(database);
    if (parser.isSet(listen))
        options.listenAddress = parser.value(listen).trimmed();
    if (parser.isSet(port))
        options.port = number(parser.value(port), QStringLiteral("port"), 0, 65535);
    if (parser.isSet(threads))
        options.threads = number(parser.value(threads), QStringLiteral("threads"), 1, 256);
    options.secret = parser.isSet(secret) ? parser.value(secret) : secretFromEnvironment;

    if (options.database.trimmed().isEmpty())
        refuse(QStringLiteral("--database não pode ser vazio."));
    if (options.listenAddress.isEmpty())
        refuse(QStringLiteral("--listen não pode ser vazio."));
    // Beyond loopback anyone on the network could call; only callers that
    // know the secret may.
    if (!isLoopback(options.listenAddress) && options.secret.isEmpty())
        refuse(QStringLiteral("Escutando em %1 (fora do loopback) o servidor exige --secret ou COMMISSION_SERVER_SECRET.")
                   .arg(options.listenAddress));
    return options;
}

}  // namespace commission

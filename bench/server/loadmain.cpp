#include "loadrun.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <iostream>
#include <string>

// commission-load [--port N] [--clients N] [--seconds N] [--operator CODE]
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Carga de muitas telas ao mesmo tempo num servidor de comissões em 127.0.0.1."));
    parser.addHelpOption();
    const LoadOptions defaults;
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Porta do servidor (padrão %1).").arg(defaults.port),
                                  QStringLiteral("porta"), QString::number(defaults.port));
    const QCommandLineOption clients(QStringLiteral("clients"), QStringLiteral("Clientes simultâneos."),
                                     QStringLiteral("n"), QString::number(defaults.clients));
    const QCommandLineOption seconds(QStringLiteral("seconds"), QStringLiteral("Duração em segundos."),
                                     QStringLiteral("s"), QString::number(defaults.seconds));
    const QCommandLineOption operatorCode(
        QStringLiteral("operator"),
        QStringLiteral("Operador que entra (padrão ADMIN); a senha vem de COMMISSION_LOAD_PASSWORD ou da entrada"
                       " padrão."),
        QStringLiteral("código"), defaults.operatorCode);
    parser.addOptions({port, clients, seconds, operatorCode});
    parser.process(app);

    LoadOptions options;
    options.port = std::clamp(parser.value(port).toInt(), 1, 65535);
    options.clients = std::clamp(parser.value(clients).toInt(), 1, 1000);
    options.seconds = std::clamp(parser.value(seconds).toInt(), 1, 600);
    options.operatorCode = parser.value(operatorCode);
    options.password = qEnvironmentVariable("COMMISSION_LOAD_PASSWORD");
    if (options.password.isEmpty()) {
        std::string line;
        std::getline(std::cin, line);
        options.password = QString::fromStdString(line);
    }
    return LoadRun(options).run();
}

#include "benchmarkrun.h"

#include <serviceerror.h>

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

// commission-bench [--database PATH|postgresql://...] [--rebuild] [--calls N]
//                  [--generations N] [--clients N] [--seconds N] [--io-threads N]
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Mede o servidor de comissões num banco de 1.000.000 de orçamentos."));
    parser.addHelpOption();
    const BenchOptions defaults;
    const QCommandLineOption database(QStringLiteral("database"),
                                      QStringLiteral("Banco (padrão %1).").arg(defaults.database),
                                      QStringLiteral("banco"), defaults.database);
    const QCommandLineOption rebuild(QStringLiteral("rebuild"), QStringLiteral("Recria o banco mesmo se já existir."));
    const QCommandLineOption calls(QStringLiteral("calls"), QStringLiteral("Chamadas por medida."), QStringLiteral("n"),
                                   QString::number(defaults.calls));
    const QCommandLineOption generations(QStringLiteral("generations"), QStringLiteral("Gerações de 1.000 orçamentos."),
                                         QStringLiteral("n"), QString::number(defaults.generations));
    const QCommandLineOption clients(QStringLiteral("clients"), QStringLiteral("Clientes simultâneos."),
                                     QStringLiteral("n"), QString::number(defaults.clients));
    const QCommandLineOption seconds(QStringLiteral("seconds"), QStringLiteral("Duração da medida de vazão."),
                                     QStringLiteral("s"), QString::number(defaults.seconds));
    const QCommandLineOption ioThreads(QStringLiteral("io-threads"), QStringLiteral("Threads de E/S do servidor."),
                                       QStringLiteral("n"), QString::number(defaults.ioThreads));
    parser.addOptions({database, rebuild, calls, generations, clients, seconds, ioThreads});
    parser.process(app);

    BenchOptions options;
    options.database = parser.value(database);
    options.rebuild = parser.isSet(rebuild);
    options.calls = std::max(1, parser.value(calls).toInt());
    options.generations = std::max(1, parser.value(generations).toInt());
    options.clients = std::max(1, parser.value(clients).toInt());
    options.seconds = std::max(1, parser.value(seconds).toInt());
    options.ioThreads = std::max(1, parser.value(ioThreads).toInt());
    try {
        return BenchmarkRun(options).run();
    } catch (const commission::ServiceError &error) {
        std::fprintf(stderr, "%s\n", error.message().toUtf8().constData());
        return 2;
    } catch (const std::runtime_error &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
}

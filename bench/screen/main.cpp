#include "screenbench.h"

#include <benchoperator.h>
#include <serveddatabase.h>

#include <connectionprovider.h>
#include <demodatagenerator.h>
#include <schema.h>
#include <serviceerror.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QTemporaryDir>

#include <cstdio>
#include <stdexcept>

namespace {

void say(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    std::fflush(stderr);
}

}  // namespace

// commission-screen-bench [--calls N]: the screen's own side of a listing,
// on real widgets: decoding and loading an answer, and the filter on the
// demonstration data against a server in this process.
int main(int argc, char **argv)
{
    // Measured on real widgets, without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Mede o lado da tela de comissões."));
    parser.addHelpOption();
    const QCommandLineOption calls(QStringLiteral("calls"), QStringLiteral("Chamadas por medida."), QStringLiteral("n"),
                                   QStringLiteral("200"));
    parser.addOption(calls);
    parser.process(app);
    const int runs = std::max(1, parser.value(calls).toInt());
    try {
        const Timings decoding = ScreenBench::decodeAndLoad(1000, runs);
        say(QStringLiteral("Tela: decodificar e carregar 1.000 orçamentos: %1").arg(decoding.describe()));
        // On the demonstration data, as an operator first sees it.
        QTemporaryDir folder;
        const database::ConnectionString demo =
            database::ConnectionString::parse(folder.filePath(QStringLiteral("demo.db")));
        {
            commission::ConnectionProvider connections(demo);
            commission::Schema::migrate(connections.database());
            commission::DemoDataGenerator(commission::DemoSize::demo()).generate(connections.database());
            BenchOperator::openSession(connections.database());
        }
        const ServedDatabase demoServer(demo, 2);
        const QDate month = QDate::currentDate().addMonths(-1);
        const QDate from(month.year(), month.month(), 1);
        const QDate to = from.addMonths(1).addDays(-1);
        const ScreenBench::FilterRun run =
            ScreenBench::filterRun(demoServer.port(), QStringLiteral("0001"), from, to, runs);
        const double screenShare = run.whole.median() - run.serverCalls.median();
        say(QStringLiteral("Tela: filtro nos dados de demonstração: inteiro %1 | chamadas sozinhas %2 | parte da tela "
                           "%3 ms")
                .arg(run.whole.describe(), run.serverCalls.describe())
                .arg(screenShare, 0, 'f', 2));
        const bool met = screenShare <= 5.0;
        std::printf("%s\n", QStringLiteral("RESUMO tela: 1000 orçamentos %1 ms, filtro %2 ms | metas %3")
                                .arg(decoding.median(), 0, 'f', 2)
                                .arg(screenShare, 0, 'f', 2)
                                .arg(met ? QStringLiteral("atingidas") : QStringLiteral("NÃO atingidas"))
                                .toUtf8()
                                .constData());
        return met ? 0 : 1;
    } catch (const commission::ServiceError &error) {
        std::fprintf(stderr, "%s\n", error.message().toUtf8().constData());
        return 2;
    } catch (const std::runtime_error &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
}

#include "screenbench.h"

#include "benchsession.h"

#include "benchclient.h"
#include "wireclient.h"

#include <commissionclient.h>
#include <datasetmodel.h>
#include <daycount.h>
#include <hostoperations.h>
#include <modulestate.h>
#include <packetcodec.h>
#include <screendatasets.h>
#include <screenmodel.h>
#include <session.h>
#include <tclientdataset.h>
#include <tdatasource.h>
#include <tfrmmancomis.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

namespace {

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// An answer {"result": packet} of `count` quotes as the server writes it.
QByteArray quoteAnswer(int count)
{
    TClientDataSet shape;
    screendatasets::declareOrcamentos(shape);
    packet::Packet quotes;
    for (const FieldDef &field : shape.fields())
        quotes.fields.append({field.name, field.kind, field.size});
    for (int i = 0; i < count; ++i) {
        QVector<QVariant> row;
        for (const FieldDef &field : shape.fields()) {
            if (field.kind == packet::FieldKind::Float || field.kind == packet::FieldKind::DateTime)
                row.append(field.kind == packet::FieldKind::DateTime ? 46300.0 + i % 30 : 1234.5 + i);
            else
                row.append(QStringLiteral("%1").arg(i).left(field.size > 0 ? field.size : 1));
        }
        quotes.rows.append(row);
    }
    QByteArray answer = R"({"result":)";
    packet::appendJson(quotes, answer);
    answer.append('}');
    return answer;
}

}  // namespace

Timings ScreenBench::decodeAndLoad(int quotes, int runs)
{
    const QByteArray answer = quoteAnswer(quotes);
    TClientDataSet set;
    screendatasets::declareOrcamentos(set);
    TDataSource source;
    source.setDataSet(&set);
    DataSetModel model;
    model.setDataSource(&source);
    Timings timings;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const QJsonValue result = QJsonDocument::fromJson(answer).object().value(QStringLiteral("result"));
        set.loadFromPacket(packet::fromJson(result));
        if (model.rowCount() != quotes)
            throw std::runtime_error("o modelo não mostra todos os orçamentos");
        timings.add(elapsedMs(timer));
    }
    return timings;
}

ScreenBench::FilterRun ScreenBench::filterRun(int port, const QString &branch, QDate from, QDate to, int runs)
{
    using namespace Cli_ORE09700;
    SessionValues session;
    session.branchCode = branch;
    session.branchFixed = true;
    session.serverPort = port;
    session.operatorCode = BenchSession::operatorCode();
    session.sessionToken = QString::fromStdString(BenchSession::token());
    session.rights = {BranchRights{QStringLiteral("*"),
                                   {QStringLiteral("consultar"), QStringLiteral("gerar"), QStringLiteral("cancelar")}}};
    Session::set(session);

    auto screen = std::make_unique<TfrmManComis>();
    if (!screen->create())
        throw std::runtime_error("a tela não pôde ser criada");
    boPrimVez = false;
    boFiltro = false;
    SetChildEnabled(screen->panManComis, false);
    Filtro.stCdFilial = branch;
    Filtro.dtDePeriodo = packet::toDayCount(from);
    Filtro.dtAtePeriodo = packet::toDayCount(to);
    Filtro.Comissao.stGerada = QStringLiteral("N");
    screen->cdsParamOrcaEve->loadFromPacket(screen->service().GetParamOrcaEve());
    screen->showScreen();
    QApplication::processEvents();

    // The screen's calls answer through the event loop: a reload ends when
    // its model is no longer busy.
    const auto untilIdle = [&screen] {
        while (screen->model().busy())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QApplication::processEvents();  // the lists painted
    };
    FilterRun measured;
    for (int run = 0; run < runs + 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        screen->sbtVerificarClick(nullptr);
        untilIdle();
        if (run >= 3)  // the first runs warm the caches
            measured.whole.add(elapsedMs(timer));
    }

    // The same calls alone: the salespeople, then the first one's quotes.
    const QString first =
        screen->cdsVendedores->IsEmpty() ? QString() : screen->cdsVendedores->AsString(QStringLiteral("CDVENDEDOR"));
    WireClient client(port);
    const std::string salespeople =
        BenchClient::requestBody(BenchClient::listingArguments(branch, QString(), false, from, to, false));
    const std::string quotes =
        BenchClient::requestBody(BenchClient::listingArguments(branch, first, true, from, to, false));
    for (int run = 0; run < runs + 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        client.send(BenchClient::path(QStringLiteral("GetVendedores")), salespeople);
        client.send(BenchClient::path(QStringLiteral("GetOrcamentos")), quotes);
        if (run >= 3)
            measured.serverCalls.add(elapsedMs(timer));
    }
    screen.reset();
    return measured;
}

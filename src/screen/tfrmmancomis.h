#pragma once

#include "commissionclient.h"
#include "commissionstatement.h"
#include "filterscreen.h"
#include "screenmodel.h"
#include "tdbgrid.h"
#include "tfrmpadraogrid.h"

#include <QString>

#include <functional>
#include <memory>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QScrollArea;
class QToolButton;
class TADOIBQuery;
class TBtnPesquisa;
class TClientDataSet;
class TDataSource;
class TNetConnection;
class CommissionClient;
class QuoteMarking;

// The commission maintenance screen: the branch panel, the salesperson and
// quote grids, and the commands that filter, refresh, search, generate and
// cancel commission. The screen wires its components to the handlers below;
// loading, generation and marking live in classes of their own that the
// handlers call.
class TfrmManComis : public TfrmPadraoGrid, public FilterScreen {
    Q_OBJECT
public:
    explicit TfrmManComis(QWidget *parent = nullptr);
    ~TfrmManComis() override;

    // Components added to the base screen.
    QToolButton *sbtFiltrar = nullptr;
    QLabel *imgCheck = nullptr, *imgDescheck = nullptr, *imgUncheck = nullptr;
    QFrame *panManComis = nullptr;
    QLabel *lblFilial = nullptr;
    QLineEdit *medCdFilial = nullptr;
    TBtnPesquisa *btnFilial = nullptr;
    QLineEdit *edtNmFilial = nullptr;
    QWidget *tshOrcamento = nullptr;
    QFrame *panDbgOrca = nullptr;
    QScrollArea *scbOrca = nullptr;
    TDBGrid *dbgOrcamento = nullptr;
    QAction *mnuLinha4 = nullptr;
    QAction *mnuFiltrar = nullptr;
    QAction *mnuHistorico = nullptr;
    QAction *mnuExportar = nullptr;
    QAction *mnuExtrato = nullptr;
    TDataSource *dtsOrcamento = nullptr;
    TNetConnection *netManuComissao = nullptr;
    TADOIBQuery *qryFilial = nullptr;
    TDataSource *dtsFilial = nullptr;
    TADOIBQuery *qryVdFilial = nullptr;
    TClientDataSet *cdsParamOrcaEve = nullptr;
    TClientDataSet *cdsVendedores = nullptr;
    TClientDataSet *cdsOrcamentos = nullptr;
    TClientDataSet *cdsOrcaPendente = nullptr;
    // What the lists hold and what they were loaded with.
    QLabel *lblResumoVendedor = nullptr;
    QLabel *lblResumoOrcamento = nullptr;
    QLabel *lblFiltroAtual = nullptr;

    CommissionClient &service();
    // What the screen holds and does, without its widgets.
    ScreenModel &model();

    // Enabling rules of every command.
    void Habilita();

    // What the filter dialog asks of the screen.
    QString quoteParameter(const QString &field) const override;
    void disableCommandsForFilter() override;

    // Commands.
    void sbtFiltrarClick(QObject *sender);
    void mnuFiltrarClick(QObject *sender);
    void sbtVerificarClick(QObject *sender);
    void sbtProcurarClick(QObject *sender);
    void mnuHistoricoClick(QObject *sender);
    // The list of the current tab as CSV; the current salesperson's statement as PDF.
    void mnuExportarClick(QObject *sender);
    void mnuExtratoClick(QObject *sender);

    // Reactions that re-run the enabling rules.
    void pgcPadraoChange(QObject *sender);
    void dtsPadraoDataChange(QObject *sender);
    void dtsOrcamentoStateChange(QObject *sender);

    // Entering either grid turns in-place editing off in both.
    void dbgPadraoEnter(QObject *sender);
    void dbgOrcamentoEnter(QObject *sender);

    // Generating and cancelling the commission of the marked quotes.
    void sbtConfirmarClick(QObject *sender);
    void sbtCancelarClick(QObject *sender);

    // Marking quotes on the quote grid.
    void dbgOrcamentoDblClick(QObject *sender);
    void dbgOrcamentoCellClick(const TDBGrid::TColumn &column);
    void dbgOrcamentoKeyDown(QObject *sender, int &key, Qt::KeyboardModifiers shift);
    void dbgOrcamentoTitleClick(const TDBGrid::TColumn &column);
    void dbgOrcamentoKeyPress(QObject *sender, QChar &key);
    void dbgOrcamentoColEnter(QObject *sender);
    void cdsOrcamentosBeforePost(TClientDataSet &dataSet);

    // Loading of salespeople and quotes.
    void DadosOrcamento();
    void cdsVendedoresAfterScroll();

    // Branch panel.
    void Vd_Filial();
    void medCdFilialChange(QObject *sender);
    void medCdFilialEnter(QObject *sender);
    void medCdFilialExit(QObject *sender);
    void btnFilialAfterPesq(QObject *sender);
    void panManComisEnter();
    void panManComisExit();

    // Sets the connection's host and port from the session before each connect.
    void netManuComissaoBeforeConnect(TNetConnection &connection);

protected:
    void FormCreate() override;
    void FormActivate() override;
    void FormClose() override;

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void wireHandlers();
    void firstActivation(std::function<void()> then);
    void activated();
    void restoreFocusAfterClose();
    void writeStatement(const QString &path, const CommissionStatement::Content &content);
    void showLoadedFilter(const CommissionClient::Selection &selection);
    QString fileNameFor(const QString &what, const QString &extension) const;
    QStringList payablesOfListedQuotes(const CommissionClient::HistoryAnswer &history) const;

    struct Private;
    std::unique_ptr<Private> d;
};

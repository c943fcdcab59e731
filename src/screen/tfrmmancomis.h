#pragma once

#include "branchpanel.h"
#include "commissionclient.h"
#include "filterscreen.h"
#include "quotemarking.h"
#include "screenmodel.h"
#include "tdbgrid.h"
#include "tfrmpadraogrid.h"

#include <QString>
#include <QToolButton>

#include <array>
#include <functional>
#include <memory>
#include <utility>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QScrollArea;
class TADOIBQuery;
class TBtnPesquisa;
class TClientDataSet;
class TDataSource;
class TNetConnection;

// The commission maintenance screen: the branch panel, the salesperson and
// quote grids, and the commands that filter, refresh, search, generate and
// cancel commission. The screen builds its controls (ScreenLayout) and binds
// them to the handlers below; what the handlers do lives in the model
// (ScreenModel) and in classes beside it: marking (QuoteMarking), the branch
// panel (BranchPanel), the lists taken out of the program (ScreenExports).
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
    // What the operator should know that no dialog says: the model's status
    // line, or where the last file written went (or why it was not).
    QLabel *lblSituacao = nullptr;

    CommissionClient &service() { return m_model->client(); }
    // What the screen holds and does, without its widgets.
    ScreenModel &model() { return *m_model; }

    // Enabling rules of every command.
    void Habilita();

    // What the filter dialog asks of the screen.
    QString quoteParameter(const QString &field) const override { return m_model->quoteParameter(field); }
    void disableCommandsForFilter() override;

    // Commands.
    void sbtFiltrarClick(QObject *sender);
    void mnuFiltrarClick(QObject *) { sbtFiltrarClick(sbtFiltrar); }
    void sbtVerificarClick(QObject *sender);
    void sbtProcurarClick(QObject *sender);
    void mnuHistoricoClick(QObject *sender);
    // The list of the current tab as CSV; the current salesperson's statement as PDF.
    void mnuExportarClick(QObject *sender);
    void mnuExtratoClick(QObject *sender);

    // Reactions that re-run the enabling rules.
    void pgcPadraoChange(QObject *) { Habilita(); }
    void dtsPadraoDataChange(QObject *) { Habilita(); }
    void dtsOrcamentoStateChange(QObject *) { Habilita(); }

    // Entering either grid turns in-place editing off in both.
    void dbgPadraoEnter(QObject *sender);
    void dbgOrcamentoEnter(QObject *sender) { dbgPadraoEnter(sender); }

    // Generating and cancelling the commission of the marked quotes.
    void sbtConfirmarClick(QObject *) { m_model->generate(); }
    void sbtCancelarClick(QObject *) { m_model->cancel(); }

    // Marking quotes on the quote grid.
    void dbgOrcamentoDblClick(QObject *) { m_marking->dbgOrcamentoDblClick(); }
    void dbgOrcamentoCellClick(const TDBGrid::TColumn &column) { m_marking->dbgOrcamentoCellClick(column); }
    void dbgOrcamentoKeyDown(QObject *, int &key, Qt::KeyboardModifiers shift)
    {
        m_marking->dbgOrcamentoKeyDown(key, shift);
    }
    void dbgOrcamentoTitleClick(const TDBGrid::TColumn &column) { m_marking->dbgOrcamentoTitleClick(column); }
    void dbgOrcamentoKeyPress(QObject *, QChar &key) { m_marking->dbgOrcamentoKeyPress(key); }
    void dbgOrcamentoColEnter(QObject *) { m_marking->dbgOrcamentoColEnter(); }
    void cdsOrcamentosBeforePost(TClientDataSet &dataSet) { m_marking->cdsOrcamentosBeforePost(dataSet); }

    // Loading of salespeople and quotes.
    void DadosOrcamento() { m_model->reload(); }
    void cdsVendedoresAfterScroll() { m_model->loadQuotesOfCurrent(); }

    // Branch panel.
    void Vd_Filial() { m_branch->validate(); }
    void medCdFilialChange(QObject *) { m_branch->clearName(); }
    void medCdFilialEnter(QObject *) { Habilita(); }
    void medCdFilialExit(QObject *) { Vd_Filial(); }
    void btnFilialAfterPesq(QObject *) { m_branch->takePickAndEnter(); }
    void panManComisEnter() { m_model->enterBranchPanel(); }
    void panManComisExit();

    // Sets the connection's host and port from the session before each connect.
    void netManuComissaoBeforeConnect(TNetConnection &connection) { ScreenModel::prepareConnection(connection); }

protected:
    void FormCreate() override;
    void FormActivate() override;
    void FormClose() override;

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void wireCommands();
    void wireGrids();
    void wireFocus();
    void wireModel();
    void firstActivation(std::function<void()> then);
    // The quote parameters a failed activation left out, then the filter run.
    void loadParametersThenFilter();
    void activated();
    void restoreFocusAfterClose();
    void showLoadedFilter(const CommissionClient::Selection &selection);
    void showStatus(const QString &text);
    // The commands the base screen offers, each button with its menu entry.
    std::array<std::pair<QToolButton *, QAction *>, 8> baseCommands() const;

    ScreenModel *m_model = nullptr;
    std::unique_ptr<BranchPanel> m_branch;
    std::unique_ptr<QuoteMarking> m_marking;
    struct Private;
    std::unique_ptr<Private> d;
};

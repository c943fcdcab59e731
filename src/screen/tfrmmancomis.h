#pragma once

#include "tfrmpadraogrid.h"

#include <QString>

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
class TDBGrid;
class TDataSource;
class TNetConnection;
class CommissionService;
class QuoteLoader;

// The commission maintenance screen: the branch panel, the salesperson and
// quote grids, and the commands that filter, refresh, search, generate and
// cancel commission. The screen wires its components to the handlers below;
// loading, generation and marking live in classes of their own that the
// handlers call.
class TfrmManComis : public TfrmPadraoGrid {
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
    TDataSource *dtsOrcamento = nullptr;
    TNetConnection *netManuComissao = nullptr;
    TADOIBQuery *qryFilial = nullptr;
    TDataSource *dtsFilial = nullptr;
    TADOIBQuery *qryVdFilial = nullptr;
    TClientDataSet *cdsParamOrcaEve = nullptr;
    TClientDataSet *cdsVendedores = nullptr;
    TClientDataSet *cdsOrcamentos = nullptr;
    TClientDataSet *cdsOrcaPendente = nullptr;

    CommissionService &service();

    // Enabling rules of every command.
    void Habilita();

    // Commands.
    void sbtFiltrarClick(QObject *sender);
    void mnuFiltrarClick(QObject *sender);
    void sbtVerificarClick(QObject *sender);
    void sbtProcurarClick(QObject *sender);
    void sbtConfirmarClick(QObject *sender);
    void sbtCancelarClick(QObject *sender);

    // Loading of salespeople and quotes.
    void DadosOrcamento();
    void cdsVendedoresAfterScroll();

    // Branch panel.
    void Vd_Filial();
    void panManComisEnter();
    void panManComisExit();

protected:
    void FormCreate() override;
    void FormActivate() override;
    void FormClose() override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

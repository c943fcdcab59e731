#pragma once

#include "tfrmfiltropadrao.h"

class QGroupBox;
class QLabel;
class QRadioButton;
class QToolButton;
class TADOIBQuery;
class TDataSource;
class TDateEditPlus;

// The filter dialog of the maintenance screen: period, salespeople, event
// types and commission status. A confirmed dialog writes Filtro.
class TfrmFiltroManuComissao : public TfrmFiltroPadrao {
    Q_OBJECT
public:
    explicit TfrmFiltroManuComissao(QWidget *parent = nullptr);
    ~TfrmFiltroManuComissao() override;

    QGroupBox *grbPeriodo = nullptr, *grbVendedor = nullptr, *grbTipoEvento = nullptr, *grbComissao = nullptr;
    QLabel *lblDe = nullptr, *lblAte = nullptr;
    TDateEditPlus *depDePeriodo = nullptr, *depAtePeriodo = nullptr;
    QRadioButton *rbtTodosVendedor = nullptr, *rbtListaVendedor = nullptr;
    QToolButton *sbtVendedor = nullptr;
    QRadioButton *rbtTodosTpEvento = nullptr, *rbtListaTpEvento = nullptr;
    QToolButton *sbtTpEvento = nullptr;
    QRadioButton *rbtNgerada = nullptr, *rbtGerada = nullptr;
    TADOIBQuery *qryVendedor = nullptr, *qryTipoEven = nullptr;
    TDataSource *dtsVendedor = nullptr, *dtsTipoEven = nullptr;
};

// Runs the filter dialog modally; the caller reads the outcome (1 OK, 2
// Cancel) from Cli_ORE09701::frmFiltroManuComissao->ModalResult() right after.
void CriaFiltroManuComissao(QWidget *screen);

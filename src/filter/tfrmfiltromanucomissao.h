#pragma once

#include "filterscreen.h"
#include "moduleapi.h"
#include "tfrmfiltropadrao.h"

class QFont;
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

    // Each "Todos"/"Lista" button enables its group's lookup button exactly
    // while "Lista" is checked; they run on clicks and on checks made in code.
    void rbtTodosVendedorClick();
    void rbtListaVendedorClick();
    void rbtTodosTpEventoClick();
    void rbtListaTpEventoClick();
    // The pickers: the chosen codes go to the module's list strings.
    void sbtVendedorClick();
    void sbtTpEventoClick();
    void rbtGeradaClick();

    // Disables the screen's commands but the filter command until the
    // screen's own enabling rules run again after the load.
    void Habilita();

    // The screen the dialog filters for; the next run may come from another.
    void setScreen(FilterScreen *screen) { m_screen = screen; }

protected:
    void FormCreate() override;
    void FormActivate() override;
    void FormClose() override;
    void sbtConfirmaClick() override;
    void sbtCancelClick() override;

    // F9 on a focused "Lista" button runs that group's picker.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeFrame();
    void buildPeriodo(const QFont &captionFont);
    QGroupBox *buildListGroup(const QString &groupName, const QString &name, const QString &caption, int left,
                              QRadioButton *&todos, QRadioButton *&lista, QToolButton *&lookup,
                              const QFont &captionFont);
    void buildComissao(const QFont &captionFont);
    void buildLookupQueries();
    void connectHandlers();
    void loadFromFiltro();

    void rbtListaVendedorKeyDown(int key);
    void rbtListaTpEventoKeyDown(int key);

    // Checks of the confirmation, each ending the handler on failure.
    void Vd_DePeriodo();
    void Vd_AtePeriodo();
    void Vd_Periodo();
    void Vd_Lista();
    void Vd_Comissao();
    [[noreturn]] void refuse(const QString &key, QWidget *focusTarget);
    QString parameterIdGeraComissao() const;
    void writeFiltro();

    bool m_loadedFromFiltro = false;
    FilterScreen *m_screen = nullptr;
};

// Runs the filter dialog modally; the caller reads the outcome (1 OK, 2
// Cancel) from Cli_ORE09701::frmFiltroManuComissao->ModalResult() right after.
// The dialog releases itself; once it is gone the pointer is null again.
// `screen` is the screen that asks; it must implement FilterScreen.
MODULE_API void CriaFiltroManuComissao(QWidget *screen);

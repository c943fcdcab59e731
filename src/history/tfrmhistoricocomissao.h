#pragma once

#include "commissionclient.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QRadioButton;
class TClientDataSet;
class TDBGrid;
class TDataSource;
class TDateEditPlus;

// The history of settlements of a branch: each generation and cancellation
// with its payable (dbgHistorico) made within the days of its own period
// (depHistoricoDe to depHistoricoAte, the host's local days, the last 30
// days through today at first), for the current salesperson
// (rbtHistoricoVendedor) or every salesperson of the branch
// (rbtHistoricoTodos), a cancellation with its reason, and under them what
// they come to (lblTotalHistorico); a double click on a settlement, or
// Enter, shows its quotes (dbgHistoricoOrcamentos). Every load
// asks the service without waiting for it: the busy indicator shows over the
// dialog and its controls are held until the answer fills the lists; a failed
// load shows its error and leaves the lists as they were.
class TfrmHistoricoComissao : public QDialog {
    Q_OBJECT
public:
    struct Request {
        QString branch;
        QString salesperson;      // code of the current salesperson; empty when none
        QString salespersonName;  // shown beside the code
    };

    TfrmHistoricoComissao(CommissionClient &service, Request request, QWidget *parent = nullptr);
    ~TfrmHistoricoComissao() override;

    QRadioButton *rbtHistoricoVendedor = nullptr;
    QRadioButton *rbtHistoricoTodos = nullptr;
    // The days of the operations listed; an empty one leaves its end open.
    TDateEditPlus *depHistoricoDe = nullptr;
    TDateEditPlus *depHistoricoAte = nullptr;
    QPushButton *btnAtualizar = nullptr;  // loads the period typed (Enter too)
    QLabel *lblPeriodo = nullptr;         // the period of the settlements listed
    TDBGrid *dbgHistorico = nullptr;
    // "Gerações: N · amount    Cancelamentos: M · amount" of what is listed.
    QLabel *lblTotalHistorico = nullptr;
    // The whole reason of the current settlement when it is a cancellation
    // (the grid's "Motivo" column shows its start).
    QLabel *lblMotivoAtual = nullptr;
    TDBGrid *dbgHistoricoOrcamentos = nullptr;
    QPushButton *btnFechar = nullptr;
    TClientDataSet *cdsHistorico = nullptr;
    TClientDataSet *cdsHistoricoOrcamentos = nullptr;

    // Asks for the settlements of the chosen salespeople and period and
    // returns at once;
    // the answer replaces the settlements and empties the quotes. `done`, when
    // given, runs after it with whether the load succeeded. A load asked for
    // while one runs is dropped.
    void load(std::function<void(bool loaded)> done = {});
    bool loading() const;
    // Shows the quotes of the current settlement.
    void showQuotesOfCurrent();
    // Checks the period typed and loads it; a start after the end is
    // refused, the focus left on the field to correct.
    void btnAtualizarClick();

signals:
    void loadEnded(bool loaded);

private:
    void showReasonOfCurrent();
    void showPeriodAndTotals(const packet::Packet &settlements);
    void hold(bool held);
    void historyArrived(const ClientOutcome<CommissionClient::HistoryAnswer> &outcome);

    struct Private;
    std::unique_ptr<Private> d;
};

// Opens the history modally over the screen and loads it; returns when it is
// closed, or when its first load fails (after the error is shown).
void CriaHistoricoComissao(CommissionClient &service, const TfrmHistoricoComissao::Request &request, QWidget *parent);

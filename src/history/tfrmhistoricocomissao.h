#pragma once

#include "commissionclient.h"

#include <QDialog>
#include <QString>

#include <memory>

class QLabel;
class QPushButton;
class QRadioButton;
class TClientDataSet;
class TDBGrid;
class TDataSource;

// The history of settlements of a branch over a period: each generation and
// cancellation with its payable (dbgHistorico), for the current salesperson
// (rbtHistoricoVendedor) or every salesperson of the branch
// (rbtHistoricoTodos), a cancellation with its reason; a double click on a
// settlement, or Enter, shows its quotes (dbgHistoricoOrcamentos). Every load goes through the service with
// the busy indicator; a failed load leaves the lists as they were.
class TfrmHistoricoComissao : public QDialog {
    Q_OBJECT
public:
    struct Request {
        QString branch;
        QString salesperson;      // code of the current salesperson; empty when none
        QString salespersonName;  // shown beside the code
        double periodStart = 0;   // day counts, 0 = open
        double periodEnd = 0;
    };

    TfrmHistoricoComissao(CommissionClient &service, Request request, QWidget *parent = nullptr);
    ~TfrmHistoricoComissao() override;

    QRadioButton *rbtHistoricoVendedor = nullptr;
    QRadioButton *rbtHistoricoTodos = nullptr;
    QLabel *lblPeriodo = nullptr;
    TDBGrid *dbgHistorico = nullptr;
    // The whole reason of the current settlement when it is a cancellation
    // (the grid's "Motivo" column shows its start).
    QLabel *lblMotivoAtual = nullptr;
    TDBGrid *dbgHistoricoOrcamentos = nullptr;
    QPushButton *btnFechar = nullptr;
    TClientDataSet *cdsHistorico = nullptr;
    TClientDataSet *cdsHistoricoOrcamentos = nullptr;

    // Loads the settlements of the chosen salespeople; the quotes empty.
    void load();
    // The history of the branch over the period, of one salesperson (all
    // when empty), asked with the busy indicator as every load is.
    static CommissionClient::HistoryAnswer fetch(CommissionClient &service, const QString &branch,
                                                 const QString &salesperson, double periodStart, double periodEnd);
    // Shows the quotes of the current settlement.
    void showQuotesOfCurrent();

private:
    void showReasonOfCurrent();

    struct Private;
    std::unique_ptr<Private> d;
};

// Opens the history modally over the screen; returns when it is closed.
void CriaHistoricoComissao(CommissionClient &service, const TfrmHistoricoComissao::Request &request, QWidget *parent);

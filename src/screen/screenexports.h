#pragma once

#include "commissionclient.h"
#include "commissionstatement.h"
#include "tfrmhistoricocomissao.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class ScreenModel;
class TClientDataSet;

// What the screen hands out of its lists, read from the model alone: the
// history's request, the CSV of a list and the current salesperson's
// statement, with the names proposed for their files.
class ScreenExports {
public:
    enum class List { Vendedores, Orcamentos };
    // Told where a file went, or that it could not be written there.
    using Report = std::function<void(const QString &text)>;

    // The path proposed for the list's CSV and the current salesperson's
    // statement: the documents folder, the branch and period of the lists.
    static QString csvPath(const ScreenModel &model, List list);
    static QString statementPath(const ScreenModel &model);

    // Settlements are dated by when they were made: the history looks from
    // the start of the lists' period up to today, so what was just settled
    // is there.
    static double historyPeriodEnd();
    // The branch of the lists (`typedBranch` when none was loaded) and the
    // salesperson now current; the dialog keeps a period of its own.
    static TfrmHistoricoComissao::Request historyRequest(const ScreenModel &model, const QString &typedBranch);

    // The list as CSV; both lists lead with the salesperson's code and name.
    static QByteArray csv(const ScreenModel &model, List list);
    // Asks where to save the list and writes it whole; a file that cannot
    // be written is reported.
    static void exportList(const ScreenModel &model, List list, const Report &report);
    // Asks where to save the current salesperson's statement and writes it;
    // generated commission first fetches the salesperson's history.
    static void exportStatement(ScreenModel &model, const QString &branchName, const Report &report);

    // What the lists were loaded with, in words.
    static QString filterInWords(const ScreenModel &model);
    // The statement of the current salesperson without its history part.
    static CommissionStatement::Content statement(const ScreenModel &model, const QString &branchName);
    // The payables and cancellations of a generated commission, from the
    // salesperson's history.
    static void addHistory(CommissionStatement::Content &content, const TClientDataSet &quotes,
                           const CommissionClient::HistoryAnswer &history);
    // The payables whose generations settled the listed quotes, in the
    // history's order; generations are told from cancellations by their
    // operation code.
    static QStringList payablesOf(const TClientDataSet &quotes, const CommissionClient::HistoryAnswer &history);
};

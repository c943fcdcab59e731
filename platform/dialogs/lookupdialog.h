#pragma once

#include "dialogs_export.h"
#include "lookuprequest.h"

#include <QDialog>

class DataSetModel;
class QLineEdit;
class QTableView;
class SearchFilterModel;
class TDataSource;

// The lookup list: the rows of the source's record set, one to pick, opening
// on the request's start row in its name column. Typing in the box narrows the
// list to rows holding the text in any column (case and accents ignored, as
// SearchText compares); the arrow keys move in the list
// from there; Enter or a double click picks, Escape cancels. The set is not
// moved while the list is open.
class DIALOGS_EXPORT LookupDialog : public QDialog {
    Q_OBJECT
public:
    explicit LookupDialog(const LookupRequest &request, QWidget *parent = nullptr);

    QLineEdit *filterEdit() const;
    QTableView *list() const;

    // Row of the record set under the list's current row; -1 when none.
    int chosenRow() const;
    // Moves the set to the chosen row; false when no row is chosen.
    bool applyChoice();

    void accept() override;  // only with a row chosen

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    void filterChanged(const QString &text);

    TDataSource *m_source;
    DataSetModel *m_model;
    SearchFilterModel *m_filter;
    QLineEdit *m_filterEdit;
    QTableView *m_list;
};

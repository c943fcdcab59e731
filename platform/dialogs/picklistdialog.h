#pragma once

#include "dialogs_export.h"

#include <QDialog>
#include <QStringList>

class QKeyEvent;
class QLineEdit;
class QStandardItemModel;
class QTableView;
class SearchFilterModel;
class TDataSource;

// The multi-select list: every row of the source's record set with a check
// box, keyed by one field. The codes of the incoming list string start
// checked. Space or a click on the box checks and unchecks; "Todos" and
// "Nenhum" check all or none of the rows shown; Enter confirms, Escape
// cancels.
//
// The "Localizar" box narrows the list to the rows holding its text in any
// column (case and accents ignored, as SearchText compares); the rows it
// hides keep their marks. The list opens with the focus; typing a letter or
// digit there goes on in the box, and the arrow keys in the box go back to
// the list.
//
// List strings hold the chosen codes separated by ";" ("0001;0003"), in the
// set's order, each code as the key field holds it without surrounding blanks.
class DIALOGS_EXPORT PickListDialog : public QDialog {
    Q_OBJECT
public:
    // Raises DataSetError when the set has no field named keyField.
    PickListDialog(TDataSource *source, const QString &keyField, const QString &caption, const QString &list,
                   QWidget *parent = nullptr);

    QTableView *list() const;
    QLineEdit *searchEdit() const;
    QStringList chosenCodes() const;
    QString chosenList() const;
    void checkAll(bool checked);  // the rows shown

    static QStringList parseList(const QString &list);
    static QString formatList(const QStringList &codes);

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    void searchChanged(const QString &text);
    void toggleCurrent();
    bool listKeyPressed(QKeyEvent *event);
    bool searchKeyPressed(QKeyEvent *event);

    QStandardItemModel *m_model;
    SearchFilterModel *m_filter;
    QLineEdit *m_search;
    QTableView *m_list;
};

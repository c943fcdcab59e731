#pragma once

#include "dialogs_export.h"

#include <QDialog>
#include <QStringList>

class QStandardItemModel;
class QTableView;
class TDataSource;

// The multi-select list: every row of the source's record set with a check
// box, keyed by one field. The codes of the incoming list string start
// checked. Space or a click on the box checks and unchecks; "Todos" and
// "Nenhum" check all or none; Enter confirms, Escape cancels.
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
    QStringList chosenCodes() const;
    QString chosenList() const;
    void checkAll(bool checked);

    static QStringList parseList(const QString &list);
    static QString formatList(const QStringList &codes);

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    QStandardItemModel *m_model;
    QTableView *m_list;
};

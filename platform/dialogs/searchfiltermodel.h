#pragma once

#include "dialogs_export.h"
#include "searchtext.h"

#include <QSortFilterProxyModel>

// The rows of a list that hold the operator's search text in any column, as
// SearchText compares (case and accents ignored). Every row shows while the
// search is empty. Changes made through it (check marks) reach the source.
class DIALOGS_EXPORT SearchFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit SearchFilterModel(QObject *parent = nullptr);

    void setSearch(const QString &wanted);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    SearchText m_search;
};

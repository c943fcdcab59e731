#pragma once

#include <QStyledItemDelegate>

class TDBGrid;

// Paints and edits the cells of a TDBGrid by handing each step to the grid,
// which owns the options and the form's handlers. Editors are plain line
// edits over the cell's edit text.
class TDBGridDelegate : public QStyledItemDelegate {
public:
    explicit TDBGridDelegate(TDBGrid *grid);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

protected:
    // Every editor has the delegate as event filter: typed characters go
    // through the grid's key handlers before the editor sees them.
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    TDBGrid *m_grid;
};

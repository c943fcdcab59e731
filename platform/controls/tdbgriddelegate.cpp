#include "tdbgriddelegate.h"

#include "tdbgrid.h"

#include <QKeyEvent>
#include <QLineEdit>

TDBGridDelegate::TDBGridDelegate(TDBGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

void TDBGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    m_grid->paintCell(*painter, option, index);
}

QWidget *TDBGridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *editor = new QLineEdit(parent);
    editor->setFrame(false);
    return editor;
}

void TDBGridDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *line = static_cast<QLineEdit *>(editor);
    line->setText(m_grid->editText(index));
    // Typing replaces the cell's text, as the first key opens the editor.
    line->selectAll();
}

void TDBGridDelegate::setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const
{
    m_grid->storeEditText(index, static_cast<QLineEdit *>(editor)->text());
}

bool TDBGridDelegate::eventFilter(QObject *object, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && m_grid->filterEditorKey(object, static_cast<QKeyEvent *>(event)))
        return true;
    return QStyledItemDelegate::eventFilter(object, event);
}

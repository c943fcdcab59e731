#include "hostforms.h"

#include "tdbgrid.h"

#include <QWidget>

void SetChildEnabled(QWidget *container, bool enabled)
{
    if (!container)
        return;
    const QList<QWidget *> children = container->findChildren<QWidget *>();
    for (QWidget *child : children)
        child->setEnabled(enabled);
}

int IndiceCol(const TDBGrid *grid, const QString &fieldName)
{
    if (!grid)
        return -1;
    for (int column = 0; column < grid->columnCount(); ++column) {
        if (grid->Column(column).fieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return column;
    }
    return -1;
}

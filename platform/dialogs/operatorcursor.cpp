#include "operatorcursor.h"

#include <QApplication>

OperatorCursor::OperatorCursor(Shows shows)
{
    // Without a GUI there is no cursor to show.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    QApplication::setOverrideCursor(shows == Shows::Working ? Qt::WaitCursor : Qt::ArrowCursor);
    m_pushed = true;
}

OperatorCursor::~OperatorCursor()
{
    if (m_pushed)
        QApplication::restoreOverrideCursor();
}

#include "ownwindow.h"

#include <QApplication>
#include <QWidget>

bool ownWindowIsActive(const QWidget *owner)
{
    const QWidget *active = QApplication::activeWindow();
    if (active == owner)
        return false;
    for (const QWidget *w = active; w; w = w->parentWidget()) {
        if (w == owner)
            return true;
    }
    return false;
}

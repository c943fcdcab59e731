#include "baseformparts.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>

QLabel *newScreenCodeLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QStringLiteral("lblCodTela"));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMargin(2);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

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

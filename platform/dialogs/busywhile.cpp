#include "busywhile.h"

#include "hostbusy.h"

BusyWhile::BusyWhile(QWidget *mainForm, int kind, const QString &text)
{
    ActiveShowAvi(mainForm, kind, text);
}

BusyWhile::~BusyWhile()
{
    DeactiveShowAvi();
}

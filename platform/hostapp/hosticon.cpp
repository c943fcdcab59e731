#include "hosticon.h"

#include <QApplication>

QIcon HostIcon::icon()
{
    // Each picture is read here, so the icon holds only the sizes there are.
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/hostapp/icons/commission-host-%1.png").arg(side));
    return icon;
}

void HostIcon::apply()
{
    QApplication::setWindowIcon(icon());
}

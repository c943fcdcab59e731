#include "hostbusy.h"

#include "busyindicator.h"
#include "mainform.h"
#include "operatorcursor.h"

#include <QApplication>
#include <QPointer>

#include <memory>
#include <stdexcept>

namespace {

QPointer<BusyIndicator> busyIndicator;
// On from ActiveShowAvi to DeactiveShowAvi, also when there is no window to
// show the indicator on (tests without a host).
bool busyOn = false;
std::unique_ptr<OperatorCursor> busyCursor;
int screenCursor = crDefault;

BusyIndicator *indicatorOn(QWidget *host)
{
    if (busyIndicator && busyIndicator->parentWidget() == host)
        return busyIndicator;
    if (busyIndicator)
        busyIndicator->stop();
    auto *found = host->findChild<BusyIndicator *>(QString(), Qt::FindDirectChildrenOnly);
    busyIndicator = found ? found : new BusyIndicator(host);
    return busyIndicator;
}

}  // namespace

void ActiveShowAvi(QWidget *form, int kind, const QString &text)
{
    QWidget *host = form ? form : MainForm();
    if (!host)
        host = QApplication::activeWindow();
    // The hourglass while the program works, over whatever was shown.
    if (!busyOn)
        busyCursor = std::make_unique<OperatorCursor>(OperatorCursor::Shows::Working);
    busyOn = true;
    if (host)
        indicatorOn(host)->start(kind, text);
}

void DeactiveShowAvi()
{
    busyOn = false;
    busyCursor.reset();
    if (busyIndicator)
        busyIndicator->stop();
}

bool BusyIndicatorShown()
{
    return busyOn;
}

void SetScreenCursor(int cursor)
{
    switch (cursor) {
    case crDefault:
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        break;
    case crHourGlass:
        if (QApplication::overrideCursor())
            QApplication::changeOverrideCursor(Qt::WaitCursor);
        else
            QApplication::setOverrideCursor(Qt::WaitCursor);
        break;
    default:
        throw std::invalid_argument(QStringLiteral("Cursor de tela desconhecido: %1.").arg(cursor).toStdString());
    }
    screenCursor = cursor;
}

int ScreenCursor()
{
    return screenCursor;
}

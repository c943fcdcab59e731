#include "hostbusy.h"

#include "busyindicator.h"
#include "handlerguard.h"
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

// The way out of the wait the indicator offers.
struct WayOut {
    BusyIndicator::WayOut kind = BusyIndicator::WayOut::None;
    QPointer<QObject> context;
    std::function<void()> cancel;
    QString notice;
};
WayOut wayOut;

void showWayOut()
{
    if (busyIndicator)
        busyIndicator->setWayOut(wayOut.kind, wayOut.notice);
}

BusyIndicator *indicatorOn(QWidget *host)
{
    if (busyIndicator && busyIndicator->parentWidget() == host)
        return busyIndicator;
    if (busyIndicator)
        busyIndicator->stop();
    auto *found = host->findChild<BusyIndicator *>(QString(), Qt::FindDirectChildrenOnly);
    if (!found) {
        found = new BusyIndicator(host);
        QObject::connect(found, &BusyIndicator::cancelRequested, found, [] { runGuarded([] { CancelBusyWait(); }); });
    }
    busyIndicator = found;
    showWayOut();
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

void OfferBusyCancel(QObject *context, std::function<void()> cancel)
{
    wayOut = {BusyIndicator::WayOut::Offered, context, std::move(cancel), QString()};
    showWayOut();
}

void RefuseBusyCancel(const QString &notice)
{
    wayOut = {BusyIndicator::WayOut::Refused, nullptr, {}, notice};
    showWayOut();
}

void WithdrawBusyCancel()
{
    wayOut = {};
    showWayOut();
}

bool CancelBusyWait()
{
    if (wayOut.kind != BusyIndicator::WayOut::Offered || !wayOut.context || !wayOut.cancel)
        return false;
    // Offered once: what the cancel does may offer something else.
    const std::function<void()> cancel = std::move(wayOut.cancel);
    WithdrawBusyCancel();
    cancel();
    return true;
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

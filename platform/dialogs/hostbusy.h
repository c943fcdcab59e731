#pragma once

#include "dialogs_export.h"

#include <QString>

#include <functional>

class QObject;
class QWidget;

// The busy indicator and the screen cursor while the program works.

// Busy indicator on the host's main window: kind 1 or 6, optional text.
// Switching it off when none shows is harmless. ActiveShowAvi paints at once,
// since a blocking call usually follows.
DIALOGS_EXPORT void ActiveShowAvi(QWidget *mainForm, int kind, const QString &text = QString());
DIALOGS_EXPORT void DeactiveShowAvi();
DIALOGS_EXPORT bool BusyIndicatorShown();

// What the busy indicator offers while the program waits for the server, on
// every indicator shown until it is changed: a way out (its "Cancelar"
// button; Escape through CancelBusyWait) that runs `cancel` while `context`
// lives; or the notice that what was sent cannot be called back, the button
// disabled; or, withdrawn, neither.
DIALOGS_EXPORT void OfferBusyCancel(QObject *context, std::function<void()> cancel);
DIALOGS_EXPORT void RefuseBusyCancel(const QString &notice);
DIALOGS_EXPORT void WithdrawBusyCancel();
// Runs the way out offered, as its button does; false when none is.
DIALOGS_EXPORT bool CancelBusyWait();

// The screen cursor: crHourGlass (-11) sets the wait cursor over the whole
// application, crDefault (0) takes every cursor override away. Other values
// raise std::invalid_argument.
constexpr int crDefault = 0;
constexpr int crHourGlass = -11;
DIALOGS_EXPORT void SetScreenCursor(int cursor);
DIALOGS_EXPORT int ScreenCursor();

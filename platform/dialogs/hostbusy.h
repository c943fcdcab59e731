#pragma once

#include "dialogs_export.h"

#include <QString>

class QWidget;

// The busy indicator and the screen cursor while the program works.

// Busy indicator on the host's main window: kind 1 or 6, optional text.
// Switching it off when none shows is harmless. ActiveShowAvi paints at once,
// since a blocking call usually follows.
DIALOGS_EXPORT void ActiveShowAvi(QWidget *mainForm, int kind, const QString &text = QString());
DIALOGS_EXPORT void DeactiveShowAvi();
DIALOGS_EXPORT bool BusyIndicatorShown();

// The screen cursor: crHourGlass (-11) sets the wait cursor over the whole
// application, crDefault (0) takes every cursor override away. Other values
// raise std::invalid_argument.
constexpr int crDefault = 0;
constexpr int crHourGlass = -11;
DIALOGS_EXPORT void SetScreenCursor(int cursor);
DIALOGS_EXPORT int ScreenCursor();

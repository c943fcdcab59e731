#pragma once

#include "hostapp_export.h"

#include <QLocale>

class QCoreApplication;

// The language of numbers, dates and the toolkit's own texts (context menus,
// standard buttons, the window menu). A machine that names no locale (C or
// POSIX, as a fresh server image does) gets Brazilian Portuguese, the
// language of every text of this system; a real locale is followed.
class HOSTAPP_EXPORT OperatorLocale {
public:
    // The locale to use for a system locale.
    static QLocale choose(const QLocale &system);
    // Makes it the default and loads the toolkit's translation for it; the
    // translator belongs to the application. False when no translation was
    // found (the toolkit's texts then stay in English).
    static bool apply(QCoreApplication &application);
};

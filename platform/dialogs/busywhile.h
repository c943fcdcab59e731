#pragma once

#include "dialogs_export.h"

#include <QString>

class QWidget;

// The busy indicator (ActiveShowAvi) from the making of this object and off
// again when it goes, however the caller leaves: around a blocking call.
class DIALOGS_EXPORT BusyWhile {
public:
    BusyWhile(QWidget *mainForm, int kind, const QString &text = QString());
    ~BusyWhile();

    BusyWhile(const BusyWhile &) = delete;
    BusyWhile &operator=(const BusyWhile &) = delete;
};

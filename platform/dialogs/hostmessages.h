#pragma once

#include "dialogs_export.h"

#include <QJsonValue>
#include <QString>

// Messages to the operator: errors, the checks of a service answer, the text for a date that is not one.

// Shows the text as an error (DialogSeam::showError), with the informative
// text beside it when one is given. With abort set it then raises the
// silent abort, ending the handler and its callers.
DIALOGS_EXPORT void MensErro(const QString &text, bool abort, const QString &informative = QString());

// Checks a service answer: a null or missing answer, or a text where data is
// expected, is reported through MensErro and (with raiseAbort) ends the
// handler. Returns the answer otherwise.
DIALOGS_EXPORT QJsonValue CheckResultServ(const QJsonValue &answer, bool raiseAbort, int context);

// The message for a text that is not a date, naming it and saying what to
// type: "Data inválida: 31/02/2024. Informe uma data existente, no formato
// dd/mm/aaaa."
DIALOGS_EXPORT QString InvalidDateText(const QString &typed);

#pragma once

#include "framework_export.h"

#include <QJsonValue>
#include <QString>

class QWidget;
class TDBGrid;
class TDataSource;
class TClientDataSet;

// Shows the text as an error (DialogSeam::showError). With abort set it then
// raises the silent abort, ending the handler and its callers.
FRAMEWORK_EXPORT void MensErro(const QString &text, bool abort);

// True when the text holds no value: empty, or only blanks and the literals of
// an empty date or time mask ("  /  /    ", "  :  ").
FRAMEWORK_EXPORT bool EmptyString(const QString &text);

// The text trimmed and brought to the width: a shorter text is filled with
// zeros on the left ("1" -> "0001"), a longer one is returned unchanged.
FRAMEWORK_EXPORT QString Ajusta(const QString &text, int width);

// Zero-based index of the grid column bound to the field; -1 when none.
FRAMEWORK_EXPORT int IndiceCol(const TDBGrid *grid, const QString &fieldName);

// Enables or disables every control inside the container (not the container).
FRAMEWORK_EXPORT void SetChildEnabled(QWidget *container, bool enabled);

// Checks a service answer: a null or missing answer, or a text where data is
// expected, is reported through MensErro and (with raiseAbort) ends the
// handler. Returns the answer otherwise.
FRAMEWORK_EXPORT QJsonValue CheckResultServ(const QJsonValue &answer, bool raiseAbort, int context);

// Search dialog over an open record set (DialogSeam::search).
FRAMEWORK_EXPORT void Procura(TClientDataSet *dataSet);

// Multi-select list over the source's set (DialogSeam::pickList). The title may
// be "Title|message when the list is empty": when the set holds no row and the
// title carries such a message, the message is shown instead of the picker
// (through MensErro, ending the handler when flag is set). `list` is in and
// out; it changes only when the user confirms the picker.
FRAMEWORK_EXPORT void PesquisaLista(TDataSource *source, const QString &keyField, const QString &title, bool flag,
                                    QString &list);

// Busy indicator on the host's main window: kind 1 or 6, optional text.
// Switching it off when none shows is harmless. ActiveShowAvi paints at once,
// since a blocking call usually follows.
FRAMEWORK_EXPORT void ActiveShowAvi(QWidget *mainForm, int kind, const QString &text = QString());
FRAMEWORK_EXPORT void DeactiveShowAvi();
FRAMEWORK_EXPORT bool BusyIndicatorShown();

// The host's main window (nullptr when there is none, as in some tests). The
// host registers its window once it is built.
FRAMEWORK_EXPORT QWidget *MainForm();
FRAMEWORK_EXPORT void SetMainForm(QWidget *mainForm);

// The message for a text that is not a date, naming it and saying what to
// type: "Data inválida: 31/02/2024. Informe uma data existente, no formato
// dd/mm/aaaa."
FRAMEWORK_EXPORT QString InvalidDateText(const QString &typed);

// The screen cursor: crHourGlass (-11) sets the wait cursor over the whole
// application, crDefault (0) takes every cursor override away. Other values
// raise std::invalid_argument.
constexpr int crDefault = 0;
constexpr int crHourGlass = -11;
FRAMEWORK_EXPORT void SetScreenCursor(int cursor);
FRAMEWORK_EXPORT int ScreenCursor();

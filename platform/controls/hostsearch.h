#pragma once

#include "controls_export.h"

#include <QString>

class TClientDataSet;
class TDataSource;

// Searching a record set and picking from a list, through the dialog seam.

// Search dialog over an open record set (DialogSeam::search).
CONTROLS_EXPORT void Procura(TClientDataSet *dataSet);

// Multi-select list over the source's set (DialogSeam::pickList). The title may
// be "Title|message when the list is empty": when the set holds no row and the
// title carries such a message, the message is shown instead of the picker
// (through MensErro, ending the handler when flag is set). `list` is in and
// out; it changes only when the user confirms the picker.
CONTROLS_EXPORT void PesquisaLista(TDataSource *source, const QString &keyField, const QString &title, bool flag,
                                   QString &list);

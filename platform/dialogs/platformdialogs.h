#pragma once

#include "dialogs_export.h"
#include "lookuprequest.h"

#include <QString>

class TDataSource;

// The real modal dialogs behind the default dialog seam. Each one works on the
// data source's record set and returns when the user closes it.

// Lists the set's rows; on true the set's current row is the one chosen.
DIALOGS_EXPORT bool runLookupDialog(const LookupRequest &request);

// Multi-select over the set keyed by keyField. `list` comes in with the codes
// already chosen ("0001;0003") and, on true, goes out with the new choice.
DIALOGS_EXPORT bool runPickListDialog(TDataSource *source, const QString &keyField, const QString &title,
                                      QString &list);

// Lets the user search the set and moves its current row to the match.
DIALOGS_EXPORT void runSearchDialog(TDataSource *source);

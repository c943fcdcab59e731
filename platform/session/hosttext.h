#pragma once

#include "session_export.h"

#include <QString>

// Texts typed into fields: emptiness that ignores mask literals, codes brought to their width.

// True when the text holds no value: empty, or only blanks and the literals of
// an empty date or time mask ("  /  /    ", "  :  ").
SESSION_EXPORT bool EmptyString(const QString &text);

// The text trimmed and brought to the width: a shorter text is filled with
// zeros on the left ("1" -> "0001"), a longer one is returned unchanged.
SESSION_EXPORT QString Ajusta(const QString &text, int width);

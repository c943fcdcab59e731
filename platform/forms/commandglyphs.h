#pragma once

#include "forms_export.h"

#include <QIcon>

// The small pictures of the base forms' command buttons, drawn in code so the
// forms look the same whatever icon theme the desktop has.
enum class CommandGlyph {
    Insert,
    Edit,
    Delete,
    Save,
    Confirm,
    Cancel,
    Search,
    Refresh,
    Print,
    Help,
    Close,
    First,
    Prior,
    Next,
    Last,
    OpenFolder
};

FORMS_EXPORT QIcon commandGlyph(CommandGlyph glyph);

#pragma once

#include "framework_export.h"

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

FRAMEWORK_EXPORT QIcon commandGlyph(CommandGlyph glyph);

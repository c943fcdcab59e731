#pragma once

#include "forms_export.h"

#include <QIcon>

class QPixmap;

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

// The glyph's icon, with its greyed picture for a disabled button.
FORMS_EXPORT QIcon commandGlyph(CommandGlyph glyph);

// An icon of a picture drawn for a button, with the picture greyed for the
// button disabled: drawn here rather than left to the style, so a disabled
// button looks disabled whatever style the desktop uses.
FORMS_EXPORT QIcon glyphIcon(const QPixmap &picture);

#pragma once

#include <QIcon>
#include <QPixmap>

// The pictures the maintenance screen draws itself: the three 16 x 16 check
// box bitmaps that the grids paint in the mark column, and the glyphs of the
// screen's own toolbar buttons.
namespace screenpictures {

// The colour that stands for "transparent" in the check box bitmaps: the
// painter replaces it with the cell's background.
QColor transparentColour();

enum class CheckBox { Checked, Unchecked, Undetermined };
// A black-edged box with a 9 x 9 inside (white, or silver when undetermined)
// and a black tick when checked; every pixel outside the box is olive.
QPixmap checkBox(CheckBox kind);

// A funnel, for the filter command.
QIcon filterGlyph();
// A coin, for generating commission; the same coin crossed out for cancelling.
QIcon generateGlyph();
QIcon cancelGlyph();

}  // namespace screenpictures

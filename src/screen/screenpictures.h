#pragma once

#include <QIcon>
#include <QPixmap>

// The glyphs of the maintenance screen's own toolbar buttons. (The check box
// pictures of the mark column are resources: CheckBoxImages.)
namespace screenpictures {

// A funnel, for the filter command.
QIcon filterGlyph();
// A coin, for generating commission; the same coin crossed out for cancelling.
QIcon generateGlyph();
QIcon cancelGlyph();

}  // namespace screenpictures

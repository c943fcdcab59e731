#pragma once

#include <QString>

class QRect;
class TCanvas;

// Text and date cells of the screen's grids: the field's edit text, 2 pixels
// in from the cell's left and top.
class TextCellPainter {
public:
    static void paint(TCanvas &canvas, const QRect &rect, const QString &text);
};

#pragma once

#include <QString>

class QRect;
class QVariant;
class TCanvas;
struct FieldDef;

// Text and date cells of the screen's grids: the field's edit text, 2 pixels
// in from the cell's left and top.
class TextCellPainter {
public:
    // The value as its field's edit text: without the field's display format,
    // empty for null; dates as dd/MM/yyyy, with the time when there is one.
    static QString editText(const FieldDef &field, const QVariant &value);

    static void paint(TCanvas &canvas, const QRect &rect, const QString &text);
};

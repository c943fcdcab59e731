#pragma once

#include <QString>

class QRect;
class TCanvas;

// Amount cells of the screen's grids: the value with two decimals and grouped
// thousands, right-aligned 3 pixels in from the cell's right and top, on a
// freshly filled background and clipped to the cell (a value wider than the
// cell loses its leading digits).
class AmountCellPainter {
public:
    // The value in the user's locale with the pattern "#,##0.00": at least one
    // integer digit, grouped thousands, two decimals rounded, a leading minus
    // sign for negative values (1.234,50 under Brazilian settings).
    static QString format(double value);

    static void paint(TCanvas &canvas, const QRect &rect, double value);
};

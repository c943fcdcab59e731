#include "amountcellpainter.h"

#include "numbertext.h"
#include "tcanvas.h"

#include <QRect>

namespace {

constexpr int kInset = 3;

}  // namespace

QString AmountCellPainter::format(double value)
{
    return NumberText::amount(value);
}

void AmountCellPainter::paint(TCanvas &canvas, const QRect &rect, double value)
{
    const QString text = format(value);
    canvas.TextRect(rect, TCanvas::RightOf(rect) - canvas.TextWidth(text) - kInset, rect.top() + kInset, text);
}

#include "textcellpainter.h"

#include "tcanvas.h"

#include <QRect>

namespace {

constexpr int kInset = 2;

}  // namespace

void TextCellPainter::paint(TCanvas &canvas, const QRect &rect, const QString &text)
{
    canvas.TextOut(rect.left() + kInset, rect.top() + kInset, text);
}

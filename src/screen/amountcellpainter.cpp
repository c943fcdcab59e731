#include "amountcellpainter.h"

#include "tcanvas.h"

#include <QLocale>
#include <QRect>

#include <cmath>

namespace {

constexpr int kInset = 3;
constexpr int kDecimals = 2;
// Below this the value shows as 0,00; it must not show as -0,00.
constexpr double kHalfCent = 0.005;

}  // namespace

QString AmountCellPainter::format(double value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    if (std::abs(value) < kHalfCent)
        value = 0.0;
    return locale.toString(value, 'f', kDecimals);
}

void AmountCellPainter::paint(TCanvas &canvas, const QRect &rect, double value)
{
    const QString text = format(value);
    canvas.TextRect(rect, TCanvas::RightOf(rect) - canvas.TextWidth(text) - kInset, rect.top() + kInset, text);
}

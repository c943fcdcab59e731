#include "textcellpainter.h"

#include "daycount.h"
#include "fielddef.h"
#include "tcanvas.h"

#include <QLocale>
#include <QRect>
#include <QVariant>

namespace {

constexpr int kInset = 2;

}  // namespace

QString TextCellPainter::editText(const FieldDef &field, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (field.kind) {
    case packet::FieldKind::Float: {
        QLocale locale;
        locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
        return locale.toString(value.toDouble(), 'g', 15);
    }
    case packet::FieldKind::DateTime: {
        const QDateTime moment = packet::dateTimeFromDayCount(value.toDouble());
        if (!moment.isValid())
            return QString();
        return moment.time() == QTime(0, 0) ? moment.toString(QStringLiteral("dd/MM/yyyy"))
                                            : moment.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
    }
    case packet::FieldKind::Text:
    case packet::FieldKind::FixedText:
        break;
    }
    return value.toString();
}

void TextCellPainter::paint(TCanvas &canvas, const QRect &rect, const QString &text)
{
    canvas.TextOut(rect.left() + kInset, rect.top() + kInset, text);
}

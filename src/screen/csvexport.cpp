#include "csvexport.h"

#include "daycount.h"
#include "fielddef.h"
#include "tclientdataset.h"
#include "tdbgrid.h"

#include <QDate>

namespace {

// Quoted when it holds a separator, a quote or a line break.
QString cell(const QString &text)
{
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString valueText(const FieldDef &field, const QVariant &value)
{
    if (value.isNull())
        return QString();
    switch (field.kind) {
    case packet::FieldKind::Float: {
        // Amounts with two decimals, other numbers as they are; a comma.
        const double number = value.toDouble();
        QString text =
            field.displayFormat.isEmpty() ? QString::number(number, 'g', 15) : QString::number(number, 'f', 2);
        if (text == QLatin1String("-0.00"))
            text = QStringLiteral("0.00");
        return text.replace(QLatin1Char('.'), QLatin1Char(','));
    }
    case packet::FieldKind::DateTime: {
        const QDate date = packet::dateFromDayCount(value.toDouble());
        return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
    }
    case packet::FieldKind::Text:
    case packet::FieldKind::FixedText:
        return value.toString();
    }
    return QString();
}

}  // namespace

QByteArray CsvExport::write(const TClientDataSet &set, const QVector<TDBGrid::TColumn> &columns,
                            const QVector<Constant> &leading)
{
    QStringList lines;
    QStringList titles, constants;
    for (const Constant &constant : leading) {
        titles.append(cell(constant.title));
        constants.append(cell(constant.value));
    }
    QVector<int> fields;
    for (const TDBGrid::TColumn &column : columns) {
        const int field = set.fieldIndex(column.fieldName);
        fields.append(field);
        // The mark column's title is a picture on the grid.
        const bool mark = column.fieldName.compare(QLatin1String("IDCHECK"), Qt::CaseInsensitive) == 0;
        const QString title = !column.title.isEmpty() ? column.title
                              : field >= 0            ? set.fields().at(field).title()
                                                      : column.fieldName;
        titles.append(cell(mark ? QStringLiteral("Marcado") : title));
    }
    lines.append(titles.join(QLatin1Char(';')));
    for (int row = 0; set.Active() && row < set.RecordCount(); ++row) {
        QStringList values = constants;
        for (const int field : std::as_const(fields))
            values.append(field < 0 ? QString() : cell(valueText(set.fields().at(field), set.valueAt(row, field))));
        lines.append(values.join(QLatin1Char(';')));
    }
    return QByteArray("\xEF\xBB\xBF") + lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
}

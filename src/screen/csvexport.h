#pragma once

#include "tdbgrid.h"

#include <QByteArray>
#include <QString>
#include <QVector>

class TClientDataSet;

// A list as a spreadsheet reads it: the columns a grid shows it with and
// their titles (the field's label where a column has none), semicolons
// between values, amounts with a decimal comma and no thousands separator,
// dates as dd/mm/aaaa, UTF-8 with a byte-order mark so the accents come
// through.
class CsvExport {
public:
    // A column with the same value on every row, before the grid's columns.
    struct Constant {
        QString title;
        QString value;
    };
    static QByteArray write(const TClientDataSet &set, const QVector<TDBGrid::TColumn> &columns,
                            const QVector<Constant> &leading = {});
};

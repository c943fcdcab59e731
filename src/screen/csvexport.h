#pragma once

#include <QByteArray>
#include <QString>

class TDBGrid;

// A grid's list as a spreadsheet reads it: the grid's columns with their
// titles, semicolons between values, amounts with a decimal comma and no
// thousands separator, dates as dd/mm/aaaa, UTF-8 with a byte-order mark so
// the accents come through.
class CsvExport {
public:
    static QByteArray write(const TDBGrid &grid);
};

#pragma once

#include <QString>

// Where the files the screen writes are proposed and under which names: in
// the user's documents folder (the home folder where there is none), named
// after the branch, what they hold and the months of the lists' period
// ("comissao-0001-vendedores-2026-10-a-2026-11.csv"). Codes from the data
// are cut down to letters, digits and dashes, so no name leaves the folder
// or trips a file system.
class ExportFileNames {
public:
    static QString folder();
    // `start` and `end` are day counts, 0 for an open end.
    static QString period(double start, double end);
    static QString salespeopleCsv(const QString &branch, double start, double end);
    static QString quotesCsv(const QString &branch, const QString &salesperson, double start, double end);
    static QString statementPdf(const QString &branch, const QString &salesperson, double start, double end);
    // Letters without accents, digits and single dashes; `empty` for nothing left.
    static QString sanitized(const QString &text, const QString &empty);
};

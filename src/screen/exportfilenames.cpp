#include "exportfilenames.h"

#include "daycount.h"

#include <QDate>
#include <QDir>
#include <QStandardPaths>

namespace {

QString month(double day)
{
    return packet::dateFromDayCount(day).toString(QStringLiteral("yyyy-MM"));
}

QString branchPart(const QString &branch)
{
    return ExportFileNames::sanitized(branch, QStringLiteral("sem-filial"));
}

QString salespersonPart(const QString &salesperson)
{
    return ExportFileNames::sanitized(salesperson, QStringLiteral("sem-vendedor"));
}

}  // namespace

QString ExportFileNames::folder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

QString ExportFileNames::period(double start, double end)
{
    const bool from = packet::dateFromDayCount(start).isValid(), to = packet::dateFromDayCount(end).isValid();
    if (from && to)
        return QStringLiteral("%1-a-%2").arg(month(start), month(end));
    if (from)
        return QStringLiteral("desde-%1").arg(month(start));
    if (to)
        return QStringLiteral("ate-%1").arg(month(end));
    return QStringLiteral("sem-periodo");
}

QString ExportFileNames::salespeopleCsv(const QString &branch, double start, double end)
{
    return QStringLiteral("comissao-%1-vendedores-%2.csv").arg(branchPart(branch), period(start, end));
}

QString ExportFileNames::quotesCsv(const QString &branch, const QString &salesperson, double start, double end)
{
    return QStringLiteral("comissao-%1-vendedor-%2-orcamentos-%3.csv")
        .arg(branchPart(branch), salespersonPart(salesperson), period(start, end));
}

QString ExportFileNames::statementPdf(const QString &branch, const QString &salesperson, double start, double end)
{
    return QStringLiteral("extrato-comissao-%1-%2-%3.pdf")
        .arg(branchPart(branch), salespersonPart(salesperson), period(start, end));
}

QString ExportFileNames::sanitized(const QString &text, const QString &empty)
{
    QString kept;
    for (const QChar character : text.normalized(QString::NormalizationForm_D)) {
        if (character.isMark())
            continue;
        const bool plain = character.unicode() < 128 && character.isLetterOrNumber();
        if (plain)
            kept += character;
        else if (!kept.isEmpty() && !kept.endsWith(QLatin1Char('-')))
            kept += QLatin1Char('-');
    }
    while (kept.endsWith(QLatin1Char('-')))
        kept.chop(1);
    return kept.isEmpty() ? empty : kept;
}

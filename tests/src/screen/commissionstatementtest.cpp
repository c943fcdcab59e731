// The statement as the operator reads it back from the PDF: the marks and
// what a generation books for them, the titles and the salesperson on every
// page with its number, the payables of settled commission; and the names
// proposed for the files the screen writes.
#include "commissionstatement.h"
#include "exportfilenames.h"

#include <QBuffer>
#include <QDate>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <daycount.h>

namespace {

// Customers long enough to wrap if the customer column were narrow.
const QString customer = QStringLiteral("Buffet Alegria Festas e Eventos Ltda");

CommissionStatement::Content content(bool generated, int quotes)
{
    CommissionStatement::Content content;
    content.branch = QStringLiteral("0001 - Matriz");
    content.filter = QStringLiteral("Filial 0001 · Período 01/10/2026 a 30/11/2026 (data do evento)");
    content.operatorCode = QStringLiteral("OP7");
    content.at = QDateTime(QDate(2026, 12, 9), QTime(10, 15));
    content.salesperson = QStringLiteral("0006 - Ana Souza");
    content.generated = generated;
    for (int quote = 1; quote <= quotes; ++quote)
        content.quotes.append({QStringLiteral("%1").arg(quote, 10, 10, QLatin1Char('0')), QStringLiteral("01"),
                               customer, QStringLiteral("10/10/2026"), 1000.0, 5.0, 50.0, false});
    return content;
}

// The pages of the PDF as pdftotext -layout reads them.
QStringList pagesOf(const CommissionStatement::Content &content)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        return {};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("extrato.pdf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !CommissionStatement::writePdf(content, file))
        return {QStringLiteral("not written")};
    file.close();
    QProcess render;
    render.start(pdftotext, {QStringLiteral("-layout"), path, QStringLiteral("-")});
    render.waitForFinished(30000);
    QStringList pages = QString::fromUtf8(render.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// A line of the page that holds the texts in this order.
bool hasLine(const QString &page, const QStringList &inOrder)
{
    QStringList escaped;
    for (const QString &part : inOrder)
        escaped << QRegularExpression::escape(part);
    return page.contains(QRegularExpression(escaped.join(QStringLiteral("\\s[^\\n]*"))));
}

}  // namespace

class CommissionStatementTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) não está instalado");
    }

    // Two pages of quotes: each page has the heading, the salesperson, the
    // column titles and its number; the marked quotes say so and their sum
    // is what a generation books, cent by cent, beside the total.
    void shouldMarkTheQuotesAndRepeatTheTitlesOnEveryPage()
    {
        CommissionStatement::Content statement = content(false, 60);
        statement.quotes[0].marked = true;
        // A credit quote whose percentage the screen recalculated: 5 % of
        // -1.234,55 books -61,73 (half a cent away from zero), whatever the
        // screen's own figure.
        statement.quotes[1] = {QStringLiteral("0000000002"),
                               QStringLiteral("01"),
                               customer,
                               QStringLiteral("11/10/2026"),
                               -1234.55,
                               5.0,
                               -61.72,
                               true};
        statement.quotes[59].marked = true;
        QCOMPARE(CommissionStatement::markedCents(statement), 5000 - 6173 + 5000);

        const QStringList pages = pagesOf(statement);
        QCOMPARE(pages.size(), 2);
        for (int page = 0; page < 2; ++page) {
            const QString &text = pages[page];
            for (const QString &expected :
                 {QStringLiteral("Extrato de Comissão"), QStringLiteral("Vendedor: 0006 - Ana Souza"),
                  QStringLiteral("página %1 de 2").arg(page + 1)})
                QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" not on page:\n") + text));
            QVERIFY2(hasLine(text, {"Marcado", "Nr.", "Seq.", "Cliente", "Dt.", "Vr.", "%", "Vr."}), qPrintable(text));
        }
        QVERIFY2(hasLine(pages[0], {"Sim", "0000000001", "01", customer, "10/10/2026", "1.000,00", "5,00", "50,00"}),
                 qPrintable(pages[0]));
        QVERIFY(hasLine(pages[0], {"Sim", "0000000002", "01", customer, "11/10/2026", "-1.234,55"}));
        QVERIFY(hasLine(pages[0], {"0000000003", "01", customer}));
        QVERIFY(!hasLine(pages[0], {"Sim", "0000000003"}));
        QVERIFY2(hasLine(pages[1], {"Total: 60 orçamentos", "57.765,45", "2.888,28"}), qPrintable(pages[1]));
        QVERIFY(hasLine(pages[1], {"Marcados: 3 orçamentos, comissão a gerar", "765,45", "38,27"}));
    }

    // Settled commission: each payable with its amount now, due date and
    // whether it is paid; the cancellations with their reasons.
    void shouldListThePayablesOfSettledCommission()
    {
        CommissionStatement::Content statement = content(true, 2);
        statement.payables = {{QStringLiteral("1201"), 100.0, QStringLiteral("08/01/2027"), false, "G"},
                              {QStringLiteral("1202"), 0.0, QString(), false, "R"},
                              {QStringLiteral("1203"), 1250.5, QStringLiteral("15/01/2027"), true, "A"}};
        statement.cancellations = {{QStringLiteral("03/12/2026 10:15"), QStringLiteral("GERENTE"),
                                    QStringLiteral("1202"), 35.0, QStringLiteral("Cliente desistiu do evento")}};
        const QStringList pages = pagesOf(statement);
        QCOMPARE(pages.size(), 1);
        const QString &text = pages[0];
        QVERIFY2(hasLine(text, {"Conta a Pagar", "Valor", "Vencimento", "Paga", "Situação"}), qPrintable(text));
        QVERIFY(hasLine(text, {"1201", "100,00", "08/01/2027", "Não", "Como gerada"}));
        QVERIFY(hasLine(text, {"1202", "0,00", "Não", "Removida por cancelamento"}));
        QVERIFY(hasLine(text, {"1203", "1.250,50", "15/01/2027", "Sim", "Alterada por cancelamento"}));
        QVERIFY(hasLine(text, {"03/12/2026 10:15", "GERENTE", "1202", "35,00", "Cliente desistiu do evento"}));
        QVERIFY(hasLine(text, {"Marcados: 0 orçamentos, comissão a cancelar", "0,00"}));
        QVERIFY(text.contains(QStringLiteral("página 1 de 1")));
    }

    void shouldNameTheFilesAfterBranchWhatAndPeriod_data()
    {
        QTest::addColumn<QString>("branch");
        QTest::addColumn<QString>("salesperson");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("a period") << "0001"
                                  << "0006" << QDate(2026, 10, 1) << QDate(2026, 11, 30)
                                  << QStringList{"comissao-0001-vendedores-2026-10-a-2026-11.csv",
                                                 "comissao-0001-vendedor-0006-orcamentos-2026-10-a-2026-11.csv",
                                                 "extrato-comissao-0001-0006-2026-10-a-2026-11.pdf"};
        QTest::newRow("no period") << "0001"
                                   << "0006" << QDate() << QDate()
                                   << QStringList{"comissao-0001-vendedores-sem-periodo.csv",
                                                  "comissao-0001-vendedor-0006-orcamentos-sem-periodo.csv",
                                                  "extrato-comissao-0001-0006-sem-periodo.pdf"};
        QTest::newRow("open end") << "0001"
                                  << "0006" << QDate(2026, 10, 1) << QDate()
                                  << QStringList{"comissao-0001-vendedores-desde-2026-10.csv",
                                                 "comissao-0001-vendedor-0006-orcamentos-desde-2026-10.csv",
                                                 "extrato-comissao-0001-0006-desde-2026-10.pdf"};
        QTest::newRow("odd characters") << " 00/1 "
                                        << "../Jo ão*?" << QDate() << QDate(2026, 11, 30)
                                        << QStringList{"comissao-00-1-vendedores-ate-2026-11.csv",
                                                       "comissao-00-1-vendedor-Jo-ao-orcamentos-ate-2026-11.csv",
                                                       "extrato-comissao-00-1-Jo-ao-ate-2026-11.pdf"};
        QTest::newRow("nothing left") << "///"
                                      << "" << QDate() << QDate()
                                      << QStringList{
                                             "comissao-sem-filial-vendedores-sem-periodo.csv",
                                             "comissao-sem-filial-vendedor-sem-vendedor-orcamentos-sem-periodo.csv",
                                             "extrato-comissao-sem-filial-sem-vendedor-sem-periodo.pdf"};
    }
    void shouldNameTheFilesAfterBranchWhatAndPeriod()
    {
        QFETCH(QString, branch);
        QFETCH(QString, salesperson);
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        QFETCH(QStringList, names);
        const double from = packet::toDayCount(start), to = packet::toDayCount(end);
        QCOMPARE(QStringList({ExportFileNames::salespeopleCsv(branch, from, to),
                              ExportFileNames::quotesCsv(branch, salesperson, from, to),
                              ExportFileNames::statementPdf(branch, salesperson, from, to)}),
                 names);
    }
};

QTEST_MAIN(CommissionStatementTest)
#include "commissionstatementtest.moc"

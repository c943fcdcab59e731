#include "demodatagenerator.h"

#include "bulkinserter.h"
#include "commissionmath.h"
#include "payablerepository.h"
#include "quotekey.h"
#include "sqlrunner.h"
#include "sqlvalues.h"
#include "writetransaction.h"

#include <QHash>
#include <QStringList>

namespace commission {

namespace {

const QStringList cities = {
    QStringLiteral("Centro"),         QStringLiteral("Campinas"),     QStringLiteral("Santos"),
    QStringLiteral("Ribeirão Preto"), QStringLiteral("Sorocaba"),     QStringLiteral("Curitiba"),
    QStringLiteral("Belo Horizonte"), QStringLiteral("Porto Alegre"), QStringLiteral("Recife"),
    QStringLiteral("Salvador"),       QStringLiteral("Fortaleza"),    QStringLiteral("Goiânia"),
    QStringLiteral("Florianópolis"),  QStringLiteral("Vitória"),      QStringLiteral("Natal"),
    QStringLiteral("Manaus"),         QStringLiteral("Belém"),        QStringLiteral("Londrina"),
    QStringLiteral("Joinville"),      QStringLiteral("Uberlândia"),
};
const QStringList firstNames = {
    QStringLiteral("Ana"),       QStringLiteral("Bruno"),   QStringLiteral("Carla"),    QStringLiteral("Diego"),
    QStringLiteral("Elisa"),     QStringLiteral("Fábio"),   QStringLiteral("Gabriela"), QStringLiteral("Henrique"),
    QStringLiteral("Isabela"),   QStringLiteral("João"),    QStringLiteral("Larissa"),  QStringLiteral("Marcos"),
    QStringLiteral("Natália"),   QStringLiteral("Otávio"),  QStringLiteral("Patrícia"), QStringLiteral("Rafael"),
    QStringLiteral("Sofia"),     QStringLiteral("Tiago"),   QStringLiteral("Vanessa"),  QStringLiteral("Wagner"),
    QStringLiteral("Conceição"), QStringLiteral("Antônio"), QStringLiteral("Luíza"),    QStringLiteral("Sérgio"),
};
const QStringList surnames = {
    QStringLiteral("Souza"),    QStringLiteral("Lima"),     QStringLiteral("Dias"),      QStringLiteral("Melo"),
    QStringLiteral("Rocha"),    QStringLiteral("Nunes"),    QStringLiteral("Almeida"),   QStringLiteral("Barbosa"),
    QStringLiteral("Cardoso"),  QStringLiteral("Ferreira"), QStringLiteral("Gonçalves"), QStringLiteral("Ribeiro"),
    QStringLiteral("Araújo"),   QStringLiteral("Carvalho"), QStringLiteral("Pereira"),   QStringLiteral("Magalhães"),
    QStringLiteral("Assunção"), QStringLiteral("Brandão"),  QStringLiteral("Simões"),    QStringLiteral("Conceição"),
};
const QStringList eventTypes = {
    QStringLiteral("Casamento"),
    QStringLiteral("Formatura"),
    QStringLiteral("Aniversário"),
    QStringLiteral("Congresso"),
    QStringLiteral("Batizado"),
    QStringLiteral("Bodas de Prata"),
    QStringLiteral("Confraternização"),
    QStringLiteral("Coquetel"),
    QStringLiteral("Palestra"),
    QStringLiteral("Feira de Negócios"),
    QStringLiteral("Lançamento de Produto"),
    QStringLiteral("Festa Infantil"),
};
const QStringList customerKinds = {
    QStringLiteral("Buffet"),  QStringLiteral("Eventos"),   QStringLiteral("Clube"),     QStringLiteral("Associação"),
    QStringLiteral("Colégio"), QStringLiteral("Instituto"), QStringLiteral("Comercial"), QStringLiteral("Família"),
};

QVariant nullText()
{
    return QVariant(QMetaType::fromType<QString>());
}

QString code(int number, int width)
{
    return QString::number(number).rightJustified(width, QLatin1Char('0'));
}

}  // namespace

// An older quote whose commission the demo data has already generated.
struct DemoDataGenerator::GeneratedQuote {
    QuoteKey key;
    QString salesperson;
    QDate eventDate;
    qint64 percentThousandths;
    qint64 commissionCents;
};

DemoSize DemoSize::demo()
{
    return DemoSize{};
}

DemoSize DemoSize::benchmark()
{
    DemoSize size;
    size.branches = 20;
    size.salespeople = 500;
    size.customers = 20000;
    size.quotes = 1000000;
    size.months = 36;
    // As a company's database is: the quotes older than two months settled,
    // the rest not. None paid, so the measures can cancel and generate again.
    size.generatedBefore = 2;
    size.paidBefore = size.months + 1;
    return size;
}

DemoDataGenerator::DemoDataGenerator(const DemoSize &size, QDate today)
    : m_size(size), m_today(today), m_random(size.seed)
{
}

int DemoDataGenerator::between(int least, int most)
{
    return std::uniform_int_distribution<int>(least, most)(m_random);
}

QString DemoDataGenerator::salespersonCode(int index) const
{
    return code(index + 1, 4);
}

double DemoDataGenerator::salespersonPercent(int index) const
{
    // One in 25 salespeople has a default of 0 %: all their commission is zero.
    return index % 25 == 21 ? 0.0 : 1.0 + (index % 11) * 0.5;
}

void DemoDataGenerator::generate(const QSqlDatabase &db, const Progress &progress)
{
    WriteTransaction transaction(db);
    writeBranches(db);
    writeSalespeople(db);
    writeEventTypes(db);
    writeCustomers(db);
    writeParameters(db);
    writeGeneratedCommission(db, writeQuotes(db, progress));
    transaction.commit();
}

void DemoDataGenerator::writeBranches(const QSqlDatabase &db)
{
    BulkInserter branches(db, QStringLiteral("FILIAL"),
                          {QStringLiteral("CDFILIAL"), QStringLiteral("NMFILIAL"), QStringLiteral("CDEMPRESA"),
                           QStringLiteral("CDSERIE")});
    for (int i = 0; i < m_size.branches; ++i) {
        // The last branch of the demo has no company: generating there is refused.
        const bool withoutCompany = m_size.generatedBefore > 0 && i == m_size.branches - 1;
        branches.add({code(i + 1, 4), QStringLiteral("Filial %1").arg(cities[i % cities.size()]),
                      withoutCompany ? nullText() : QVariant(QStringLiteral("01")), QStringLiteral("1")});
    }
    branches.finish();
}

void DemoDataGenerator::writeSalespeople(const QSqlDatabase &db)
{
    BulkInserter salespeople(db, QStringLiteral("VENDEDOR"),
                             {QStringLiteral("CDVENDEDOR"), QStringLiteral("NMFANVEN"), QStringLiteral("CDFORNECED"),
                              QStringLiteral("IDGERACOMISVEND"), QStringLiteral("IDCARGOVEND"),
                              QStringLiteral("VRPERCCOMISVEND")});
    for (int i = 0; i < m_size.salespeople; ++i) {
        const QString name = QStringLiteral("%1 %2").arg(firstNames[i % firstNames.size()],
                                                         surnames[(i / firstNames.size() + i) % surnames.size()]);
        // Spread over the branches (salesperson i sells in branch i mod branches).
        const bool withoutSupplier = i % 9 == 2;
        const bool earnsNone = i % 8 == 7;
        salespeople.add({salespersonCode(i), name,
                         withoutSupplier ? nullText() : QVariant(QStringLiteral("FORN%1").arg(code(i + 1, 5))),
                         earnsNone ? QStringLiteral("N") : QStringLiteral("S"),
                         i % 12 == 0 ? QStringLiteral("G") : QStringLiteral("V"), salespersonPercent(i)});
    }
    salespeople.finish();
}

void DemoDataGenerator::writeEventTypes(const QSqlDatabase &db)
{
    BulkInserter types(db, QStringLiteral("TIPOEVENTO"),
                       {QStringLiteral("CDTIPOEVENTO"), QStringLiteral("NMTIPOEVENTO")});
    for (int i = 0; i < eventTypes.size(); ++i)
        types.add({code(i + 1, 3), eventTypes[i]});
    types.finish();
}

void DemoDataGenerator::writeCustomers(const QSqlDatabase &db)
{
    BulkInserter customers(db, QStringLiteral("CLIENTE"), {QStringLiteral("CDCLIENTE"), QStringLiteral("NMFANTCLIE")});
    for (int i = 0; i < m_size.customers; ++i) {
        const QString name =
            QStringLiteral("%1 %2 %3")
                .arg(customerKinds[i % customerKinds.size()], surnames[(i / customerKinds.size()) % surnames.size()],
                     cities[(i / 7) % cities.size()]);
        customers.add({QStringLiteral("CLI%1").arg(code(i + 1, 6)), name.left(50)});
    }
    customers.finish();
}

void DemoDataGenerator::writeParameters(const QSqlDatabase &db)
{
    SqlRunner::run(
        db,
        QStringLiteral(
            "INSERT INTO PARAMORCAEVE (NRPARAMORCAEVE, CDTPOPEROREV, CDTPCTRECEB, DSTPCTRECEB, NMTIPOOPER, CDCLASSFINA,"
            " CDTPOPFINACE, CDTPCTPAGAR, CDCLASSFPAG, IDESOPENTACE, CDTPOPENTACE, CDSERIEENTR, DSDEFACTPAG,"
            " IDTPPRODPEDOREV, IDORIGPRUNITORE, CDTIPOCUSTO, IDTPCOBRVREXTRA, DSTPCTPAGAR, CDFORNPADORC,"
            " CDTPAJECDISTORE, CDTPBAIXDISTORE, CDTPOPERORCNEG, CDTPCTPAGARNEG, NMTIPOOPERNEG, DSTPCTPAGARNEG,"
            " CDCLASSFINANEG, IDESOPERORCNEG, IDGERACOMISSAO, IDDTBASECOMISSAO, IDGERACOMISSAOVEND)"
            " VALUES (1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {QStringLiteral("01"),
         QStringLiteral("REC001"),
         QStringLiteral("Receita de eventos"),
         QStringLiteral("Venda de evento"),
         QStringLiteral("110101"),
         QStringLiteral("02"),
         QStringLiteral("COM001"),
         QStringLiteral("210301"),
         QStringLiteral("E"),
         QStringLiteral("03"),
         QStringLiteral("1"),
         QStringLiteral("Comissão de eventos"),
         QStringLiteral("S"),
         QStringLiteral("T"),
         QStringLiteral("01"),
         QStringLiteral("N"),
         QStringLiteral("Comissão de vendedores"),
         nullText(),
         QStringLiteral("AJ01"),
         QStringLiteral("01"),
         QStringLiteral("04"),
         QStringLiteral("COMNEG"),
         QStringLiteral("Crédito de evento"),
         QStringLiteral("Estorno de comissão"),
         QStringLiteral("210302"),
         QStringLiteral("S"),
         QStringLiteral("MANUTENCAO"),
         QStringLiteral("EVENTO"),
         QStringLiteral("S")});
}

QVector<DemoDataGenerator::GeneratedQuote> DemoDataGenerator::writeQuotes(const QSqlDatabase &db,
                                                                          const Progress &progress)
{
    BulkInserter quotes(db, QStringLiteral("ORCAEVENTO"),
                        {QStringLiteral("CDFILIAL"), QStringLiteral("NRORCAEVENTO"), QStringLiteral("NRSEQORCAEVE"),
                         QStringLiteral("CDCLIENTE"), QStringLiteral("CDVENDEDOR"), QStringLiteral("CDTIPOEVENTO"),
                         QStringLiteral("DTEVENTO"), QStringLiteral("DTFECHAORCA"), QStringLiteral("VRTOTALOREV"),
                         QStringLiteral("VRPERCCOMIS"), QStringLiteral("DSTITUORCEVE"),
                         QStringLiteral("IDTPRECEOREV")});
    const QDate first = m_today.addMonths(-m_size.months);
    const QDate generatedUntil = m_size.generatedBefore > 0 ? m_today.addMonths(-m_size.generatedBefore) : QDate();
    const int days = int(first.daysTo(m_today));
    QVector<int> lastNumber(m_size.branches, 0);
    QVector<bool> lastHasSecondVersion(m_size.branches, false);
    QVector<GeneratedQuote> generated;

    for (int i = 0; i < m_size.quotes; ++i) {
        // Each salesperson sells in one branch.
        const int salesperson = between(0, m_size.salespeople - 1);
        const int branch = salesperson % m_size.branches;
        // Now and then a second version ("02") of the branch's last quote.
        const bool secondVersion = lastNumber[branch] > 0 && !lastHasSecondVersion[branch] && between(0, 11) == 0;
        const int number = secondVersion ? lastNumber[branch] : ++lastNumber[branch];
        lastHasSecondVersion[branch] = secondVersion;
        const QDate event = first.addDays(between(0, days));
        const bool open = between(0, 9) == 0;
        const QDate closing = event.addDays(-between(3, 60));
        const bool credit = between(0, 32) == 0;
        const qint64 totalCents = credit ? -qint64(between(5000, 200000)) : qint64(between(50000, 5000000));
        const bool ownPercent = between(0, 9) < 3;
        const qint64 percentThousandths =
            ownPercent ? between(1, 16) * 500 : qint64(salespersonPercent(salesperson) * 1000);
        const int eventType = between(0, int(eventTypes.size()) - 1);
        const int customer = between(1, m_size.customers);
        const QuoteKey key{code(branch + 1, 4), code(number, 10),
                           secondVersion ? QStringLiteral("02") : QStringLiteral("01")};

        quotes.add({key.branch, key.number, key.sequence, QStringLiteral("CLI%1").arg(code(customer, 6)),
                    salespersonCode(salesperson), code(eventType + 1, 3), SqlValues::date(event),
                    open ? nullText() : SqlValues::date(closing), CommissionMath::fromCents(totalCents),
                    ownPercent ? QVariant(CommissionMath::fromThousandths(percentThousandths))
                               : QVariant(QMetaType::fromType<double>()),
                    QStringLiteral("%1 - orçamento %2").arg(eventTypes[eventType]).arg(number),
                    between(0, 1) ? QStringLiteral("S") : QStringLiteral("N")});

        // Older closed quotes of salespeople who may have commission already
        // have it (a percentage of 0 would have been refused).
        const bool mayHaveCommission = salesperson % 9 != 2 && salesperson % 8 != 7 && percentThousandths > 0;
        if (generatedUntil.isValid() && !open && event < generatedUntil && mayHaveCommission
            && branch != m_size.branches - 1)
            generated.append({key, salespersonCode(salesperson), event, percentThousandths,
                              CommissionMath::commissionCents(totalCents, percentThousandths)});
        if (progress && (i + 1) % 50000 == 0)
            progress(i + 1);
    }
    quotes.finish();
    return generated;
}

void DemoDataGenerator::writeGeneratedCommission(const QSqlDatabase &db, const QVector<GeneratedQuote> &quotes)
{
    // One payable per branch, salesperson and month of the event.
    QHash<QString, QVector<GeneratedQuote>> groups;
    for (const GeneratedQuote &quote : quotes) {
        const QString group =
            QStringLiteral("%1|%2|%3")
                .arg(quote.key.branch, quote.salesperson, quote.eventDate.toString(QStringLiteral("yyyy-MM")));
        groups[group].append(quote);
    }
    QStringList keys = groups.keys();
    keys.sort();
    const QDate paidUntil = m_today.addMonths(-m_size.paidBefore);
    QVector<AuditEntry> audits;
    BulkInserter links(db, QStringLiteral("ORCACOMISSAO"),
                       {QStringLiteral("CDFILIAL"), QStringLiteral("NRORCAEVENTO"), QStringLiteral("NRSEQORCAEVE"),
                        QStringLiteral("NRCONTAPAGAR"), QStringLiteral("VRPERCCOMIS"), QStringLiteral("VRCOMISSAO")});
    for (const QString &group : std::as_const(keys)) {
        const QVector<GeneratedQuote> &ofGroup = groups[group];
        const QStringList parts = group.split(QLatin1Char('|'));
        qint64 amount = 0;
        for (const GeneratedQuote &quote : ofGroup)
            amount += quote.commissionCents;
        const QDate issued = QDate::fromString(parts[2] + QStringLiteral("-01"), Qt::ISODate).addMonths(1);
        QSqlQuery payable = SqlRunner::run(
            db,
            QStringLiteral(
                "INSERT INTO CONTAPAGAR (CDFILIAL, CDFORNECED, CDVENDEDOR, CDTPCTPAGAR, CDTPOPENTACE, CDSERIEENTR,"
                " DSCONTAPAGAR, VRCONTAPAGAR, DTEMISSAO, DTVENCIMENTO, IDBAIXADA, CDOPERADOR, DTHRCRIACAO)"
                " SELECT ?, CDFORNECED, CDVENDEDOR, ?, '03', '1', ?, ?, ?, ?, ?, 'DEMO', ?"
                " FROM VENDEDOR WHERE CDVENDEDOR = ? RETURNING NRCONTAPAGAR"),
            {parts[0], amount < 0 ? QStringLiteral("COMNEG") : QStringLiteral("COM001"),
             QStringLiteral("Comissão de eventos %1").arg(parts[2]), CommissionMath::fromCents(amount),
             SqlValues::date(issued), SqlValues::date(issued.addDays(30)),
             issued < paidUntil ? QStringLiteral("S") : QStringLiteral("N"),
             SqlValues::timestamp(QDateTime(issued, QTime(9, 0), Qt::UTC)), parts[1]});
        payable.next();
        const qint64 number = payable.value(0).toLongLong();
        payable.finish();
        AuditEntry generation{AuditEntry::Operation::Generation,
                              QDateTime(issued, QTime(9, 0), Qt::UTC),
                              QStringLiteral("DEMO"),
                              QString(),
                              parts[0],
                              parts[1],
                              number,
                              {},
                              QString()};
        for (const GeneratedQuote &quote : ofGroup) {
            links.add({quote.key.branch, quote.key.number, quote.key.sequence, number,
                       CommissionMath::fromThousandths(quote.percentThousandths),
                       CommissionMath::fromCents(quote.commissionCents)});
            generation.quotes.append({quote.key, number, quote.percentThousandths, quote.commissionCents});
        }
        // The history of settlements shows the demonstration's payables too.
        audits.append(generation);
    }
    links.finish();
    PayableRepository payables(db);
    for (const AuditEntry &generation : std::as_const(audits))
        payables.writeAudit(generation);
}

}  // namespace commission

#include "schema.h"

#include "serviceerror.h"
#include "sqldialect.h"
#include "sqlrunner.h"
#include "writetransaction.h"

#include <QStringList>

#include <algorithm>

namespace commission {

namespace {

// Step 1: the whole first schema. Later steps are appended as new entries and
// never edited once released.
const QStringList initialSchema = {
    QStringLiteral("CREATE TABLE FILIAL ("
                   " CDFILIAL VARCHAR(4) NOT NULL PRIMARY KEY,"
                   " NMFILIAL VARCHAR(50) NOT NULL,"
                   " CDEMPRESA VARCHAR(2),"
                   " CDSERIE VARCHAR(5))"),
    QStringLiteral("CREATE TABLE VENDEDOR ("
                   " CDVENDEDOR VARCHAR(4) NOT NULL PRIMARY KEY,"
                   " NMFANVEN VARCHAR(50) NOT NULL,"
                   " CDFORNECED VARCHAR(21),"
                   " IDGERACOMISVEND VARCHAR(1) NOT NULL DEFAULT 'S' CHECK (IDGERACOMISVEND IN ('S', 'N')),"
                   " IDCARGOVEND VARCHAR(1),"
                   " VRPERCCOMISVEND NUMERIC(5,3) CHECK (VRPERCCOMISVEND BETWEEN 0 AND 99.999))"),
    QStringLiteral("CREATE TABLE TIPOEVENTO ("
                   " CDTIPOEVENTO VARCHAR(3) NOT NULL PRIMARY KEY,"
                   " NMTIPOEVENTO VARCHAR(30) NOT NULL)"),
    QStringLiteral("CREATE TABLE CLIENTE ("
                   " CDCLIENTE VARCHAR(21) NOT NULL PRIMARY KEY,"
                   " NMFANTCLIE VARCHAR(50) NOT NULL)"),
    QStringLiteral("CREATE TABLE ORCAEVENTO ("
                   " CDFILIAL VARCHAR(4) NOT NULL REFERENCES FILIAL (CDFILIAL),"
                   " NRORCAEVENTO VARCHAR(10) NOT NULL,"
                   " NRSEQORCAEVE VARCHAR(2) NOT NULL,"
                   " CDCLIENTE VARCHAR(21) NOT NULL REFERENCES CLIENTE (CDCLIENTE),"
                   " CDVENDEDOR VARCHAR(4) NOT NULL REFERENCES VENDEDOR (CDVENDEDOR),"
                   " CDTIPOEVENTO VARCHAR(3) NOT NULL REFERENCES TIPOEVENTO (CDTIPOEVENTO),"
                   " DTEVENTO %DATE% NOT NULL,"
                   " DTFECHAORCA %DATE%,"
                   " VRTOTALOREV NUMERIC(13,2) NOT NULL CHECK (ABS(VRTOTALOREV) < 100000000000),"
                   " VRPERCCOMIS NUMERIC(5,3) CHECK (VRPERCCOMIS BETWEEN 0 AND 99.999),"
                   " DSTITUORCEVE VARCHAR(100),"
                   " IDTPRECEOREV VARCHAR(1),"
                   " PRIMARY KEY (CDFILIAL, NRORCAEVENTO, NRSEQORCAEVE))"),
    // Totals below 10^11 and percentages below 100 keep every commission
    // product (cents x thousandths of a percent) inside 64-bit integers, in
    // SQL as in C++; the checks make SQLite hold to that as PostgreSQL does.
    // The selections always name one branch and a period on one of the two
    // dates. These indexes lead with exactly that and then carry every column
    // the salespeople listing reads, so it is answered from the index alone,
    // a few pages read in order instead of one table page per quote.
    QStringLiteral("CREATE INDEX IX_ORCAEVENTO_EVENTO ON ORCAEVENTO (CDFILIAL, DTEVENTO, CDVENDEDOR,"
                   " DTFECHAORCA, CDTIPOEVENTO, VRTOTALOREV, VRPERCCOMIS, NRORCAEVENTO, NRSEQORCAEVE)"),
    QStringLiteral("CREATE INDEX IX_ORCAEVENTO_FECHAMENTO ON ORCAEVENTO (CDFILIAL, DTFECHAORCA, CDVENDEDOR,"
                   " DTEVENTO, CDTIPOEVENTO, VRTOTALOREV, VRPERCCOMIS, NRORCAEVENTO, NRSEQORCAEVE)"),
    QStringLiteral("CREATE TABLE PARAMORCAEVE ("
                   " NRPARAMORCAEVE INTEGER NOT NULL PRIMARY KEY CHECK (NRPARAMORCAEVE = 1),"
                   " CDTPOPEROREV VARCHAR(2), CDTPCTRECEB VARCHAR(6), DSTPCTRECEB VARCHAR(40),"
                   " NMTIPOOPER VARCHAR(30), CDCLASSFINA VARCHAR(6), CDTPOPFINACE VARCHAR(2),"
                   " CDTPCTPAGAR VARCHAR(6), CDCLASSFPAG VARCHAR(6), IDESOPENTACE VARCHAR(1),"
                   " CDTPOPENTACE VARCHAR(2), CDSERIEENTR VARCHAR(5), DSDEFACTPAG VARCHAR(40),"
                   " IDTPPRODPEDOREV VARCHAR(1), IDORIGPRUNITORE VARCHAR(1), CDTIPOCUSTO VARCHAR(2),"
                   " IDTPCOBRVREXTRA VARCHAR(1), DSTPCTPAGAR VARCHAR(40), CDFORNPADORC VARCHAR(21),"
                   " CDTPAJECDISTORE VARCHAR(4), CDTPBAIXDISTORE VARCHAR(2), CDTPOPERORCNEG VARCHAR(2),"
                   " CDTPCTPAGARNEG VARCHAR(6), NMTIPOOPERNEG VARCHAR(30), DSTPCTPAGARNEG VARCHAR(40),"
                   " CDCLASSFINANEG VARCHAR(6), IDESOPERORCNEG VARCHAR(1), IDGERACOMISSAO VARCHAR(30),"
                   " IDDTBASECOMISSAO VARCHAR(30), IDGERACOMISSAOVEND VARCHAR(1))"),
    QStringLiteral("CREATE TABLE CONTAPAGAR ("
                   " NRCONTAPAGAR %IDENTITY%,"
                   " CDFILIAL VARCHAR(4) NOT NULL REFERENCES FILIAL (CDFILIAL),"
                   " CDFORNECED VARCHAR(21) NOT NULL,"
                   " CDVENDEDOR VARCHAR(4) NOT NULL REFERENCES VENDEDOR (CDVENDEDOR),"
                   " CDTPCTPAGAR VARCHAR(6) NOT NULL,"
                   " CDTPOPENTACE VARCHAR(2) NOT NULL,"
                   " CDSERIEENTR VARCHAR(5) NOT NULL,"
                   " DSCONTAPAGAR VARCHAR(100),"
                   " VRCONTAPAGAR NUMERIC(15,2) NOT NULL,"
                   " DTEMISSAO %DATE% NOT NULL,"
                   " DTVENCIMENTO %DATE% NOT NULL,"
                   " IDBAIXADA VARCHAR(1) NOT NULL DEFAULT 'N' CHECK (IDBAIXADA IN ('S', 'N')),"
                   " CDOPERADOR VARCHAR(20) NOT NULL,"
                   " DTHRCRIACAO %TIMESTAMP% NOT NULL)"),
    // At most one settling payable per quote: the primary key is the quote's
    // key, so two generations of one quote can never both be written.
    QStringLiteral("CREATE TABLE ORCACOMISSAO ("
                   " CDFILIAL VARCHAR(4) NOT NULL,"
                   " NRORCAEVENTO VARCHAR(10) NOT NULL,"
                   " NRSEQORCAEVE VARCHAR(2) NOT NULL,"
                   " NRCONTAPAGAR BIGINT NOT NULL REFERENCES CONTAPAGAR (NRCONTAPAGAR),"
                   " VRPERCCOMIS NUMERIC(5,3) NOT NULL,"
                   " VRCOMISSAO NUMERIC(15,2) NOT NULL,"
                   " PRIMARY KEY (CDFILIAL, NRORCAEVENTO, NRSEQORCAEVE),"
                   " FOREIGN KEY (CDFILIAL, NRORCAEVENTO, NRSEQORCAEVE)"
                   "  REFERENCES ORCAEVENTO (CDFILIAL, NRORCAEVENTO, NRSEQORCAEVE))"),
    QStringLiteral("CREATE INDEX IX_ORCACOMISSAO_CONTA ON ORCACOMISSAO (NRCONTAPAGAR)"),
    // The audit keeps payable numbers without a reference: cancelled payables
    // are deleted, their history stays.
    QStringLiteral("CREATE TABLE AUDITCOMISSAO ("
                   " NRAUDITCOMISSAO %IDENTITY%,"
                   " IDOPERACAO VARCHAR(1) NOT NULL CHECK (IDOPERACAO IN ('G', 'C')),"
                   " DTHRAUDITORIA %TIMESTAMP% NOT NULL,"
                   " CDOPERADOR VARCHAR(20),"
                   " DSORIGEM VARCHAR(64),"
                   " CDFILIAL VARCHAR(4) NOT NULL,"
                   " CDVENDEDOR VARCHAR(4) NOT NULL,"
                   " NRCONTAPAGAR BIGINT NOT NULL,"
                   " QTORCAMENTOS INTEGER NOT NULL,"
                   " VRCOMISSAO NUMERIC(15,2) NOT NULL)"),
    QStringLiteral("CREATE TABLE AUDITCOMISSAOORC ("
                   " NRAUDITCOMISSAO BIGINT NOT NULL REFERENCES AUDITCOMISSAO (NRAUDITCOMISSAO),"
                   " CDFILIAL VARCHAR(4) NOT NULL,"
                   " NRORCAEVENTO VARCHAR(10) NOT NULL,"
                   " NRSEQORCAEVE VARCHAR(2) NOT NULL,"
                   " VRPERCCOMIS NUMERIC(5,3) NOT NULL,"
                   " VRCOMISSAO NUMERIC(15,2) NOT NULL,"
                   " PRIMARY KEY (NRAUDITCOMISSAO, CDFILIAL, NRORCAEVENTO, NRSEQORCAEVE))"),
};

// Step 2: the listings of one salesperson and the pending quotes of the
// salespeople who earn no commission go straight to that salesperson's quotes
// of the period, instead of walking every quote of the branch's period.
const QStringList salespersonIndexes = {
    QStringLiteral("CREATE INDEX IX_ORCAEVENTO_VENDEDOR_EVENTO ON ORCAEVENTO (CDFILIAL, CDVENDEDOR, DTEVENTO,"
                   " DTFECHAORCA)"),
    QStringLiteral("CREATE INDEX IX_ORCAEVENTO_VENDEDOR_FECHAMENTO ON ORCAEVENTO (CDFILIAL, CDVENDEDOR,"
                   " DTFECHAORCA, DTEVENTO)"),
    QStringLiteral("CREATE INDEX IX_VENDEDOR_GERACOMIS ON VENDEDOR (IDGERACOMISVEND, CDVENDEDOR)"),
};

// Step 3: operators who sign in, what each may do at which branch ("*":
// every branch), their open sessions (by the digest of the token, never the
// token), the failed sign-ins that lock an operator or an address out for a
// while, and the reason every cancellation gives. Instants of sessions and
// failures are seconds since 1970 in UTC, compared as numbers by every
// server of the database.
const QStringList operatorsAndSessions = {
    QStringLiteral("CREATE TABLE OPERADOR ("
                   " CDOPERADOR VARCHAR(20) NOT NULL PRIMARY KEY,"
                   " NMOPERADOR VARCHAR(60) NOT NULL,"
                   " IDATIVO VARCHAR(1) NOT NULL DEFAULT 'S' CHECK (IDATIVO IN ('S', 'N')),"
                   " DSSENHA VARCHAR(200) NOT NULL)"),
    QStringLiteral("CREATE TABLE OPERADORDIREITO ("
                   " CDOPERADOR VARCHAR(20) NOT NULL REFERENCES OPERADOR (CDOPERADOR),"
                   " CDFILIAL VARCHAR(4) NOT NULL,"
                   " CDDIREITO VARCHAR(10) NOT NULL CHECK (CDDIREITO IN ('consultar', 'gerar', 'cancelar')),"
                   " PRIMARY KEY (CDOPERADOR, CDFILIAL, CDDIREITO))"),
    QStringLiteral("CREATE TABLE SESSAOOPERADOR ("
                   " DSTOKENHASH VARCHAR(64) NOT NULL PRIMARY KEY,"
                   " CDOPERADOR VARCHAR(20) NOT NULL,"
                   " NMOPERADOR VARCHAR(60) NOT NULL,"
                   " NRINICIO BIGINT NOT NULL,"
                   " NRULTIMOUSO BIGINT NOT NULL,"
                   " DSORIGEM VARCHAR(64))"),
    QStringLiteral("CREATE INDEX IX_SESSAOOPERADOR_OPERADOR ON SESSAOOPERADOR (CDOPERADOR)"),
    QStringLiteral("CREATE TABLE FALHAENTRADA ("
                   " DSCHAVE VARCHAR(90) NOT NULL,"
                   " NRINSTANTE BIGINT NOT NULL)"),
    QStringLiteral("CREATE INDEX IX_FALHAENTRADA_CHAVE ON FALHAENTRADA (DSCHAVE, NRINSTANTE)"),
    QStringLiteral("ALTER TABLE AUDITCOMISSAO ADD COLUMN DSMOTIVO VARCHAR(500)"),
};

// Step 4: the history tells, for each settlement, whether a cancellation
// has touched its payable since: one probe per row into the audit by payable.
// The audit's instants were written in UTC from the first step on, so none
// is converted.
const QStringList auditByPayable = {
    QStringLiteral("CREATE INDEX IX_AUDITCOMISSAO_CONTA ON AUDITCOMISSAO (NRCONTAPAGAR, IDOPERACAO)"),
};

const QVector<QStringList> steps = {initialSchema, salespersonIndexes, operatorsAndSessions, auditByPayable};

bool hasVersionTable(const QSqlDatabase &db)
{
    return db.tables().contains(QStringLiteral("SCHEMAVERSAO"), Qt::CaseInsensitive);
}

int readVersion(const QSqlDatabase &db)
{
    QSqlQuery query = SqlRunner::run(db, QStringLiteral("SELECT MAX(NRVERSAO) FROM SCHEMAVERSAO"));
    return query.next() ? query.value(0).toInt() : 0;
}

}  // namespace

int Schema::latestVersion()
{
    return steps.size();
}

int Schema::version(const QSqlDatabase &db)
{
    return hasVersionTable(db) ? readVersion(db) : 0;
}

void Schema::migrate(const QSqlDatabase &db)
{
    migrateTo(db, latestVersion());
}

void Schema::migrateTo(const QSqlDatabase &db, int target)
{
    target = std::min(target, latestVersion());
    const SqlDialect dialect = SqlDialect::of(db);
    WriteTransaction transaction(db);
    // Servers starting together on one PostgreSQL database take turns; on
    // SQLite the immediate transaction already excludes other writers.
    if (dialect.isPostgres())
        SqlRunner::run(db, QStringLiteral("SELECT pg_advisory_xact_lock(970001)"));
    if (!hasVersionTable(db))
        SqlRunner::run(db, QStringLiteral("CREATE TABLE SCHEMAVERSAO (NRVERSAO INTEGER NOT NULL)"));

    const int current = readVersion(db);
    // A newer server has changed the tables in ways this one knows nothing of.
    if (current > latestVersion())
        throw ServiceError(ServiceError::Kind::BadRequest,
                           QStringLiteral("O banco está na versão %1 do esquema, mas este servidor conhece até a %2."
                                          " Atualize o servidor.")
                               .arg(current)
                               .arg(latestVersion()));
    for (int step = current; step < target; ++step) {
        for (const QString &statement : steps[step])
            SqlRunner::run(db, dialect.tableDefinition(statement));
        SqlRunner::run(db, QStringLiteral("INSERT INTO SCHEMAVERSAO (NRVERSAO) VALUES (?)"), {step + 1});
    }
    // New indexes on a table that already holds quotes: SQLite knows nothing
    // of them until it counts them, and would take them for the best ones.
    if (current > 0 && current < target) {
        QSqlQuery quotes = SqlRunner::run(db, QStringLiteral("SELECT 1 FROM ORCAEVENTO LIMIT 1"));
        const bool hasQuotes = quotes.next();
        quotes.finish();
        if (hasQuotes)
            SqlRunner::run(db, QStringLiteral("ANALYZE ORCAEVENTO"));
    }
    transaction.commit();
}

}  // namespace commission

#include "tadoibquery.h"
#include "connectionstring.h"
#include "scripteddialogs.h"
#include "session.h"
#include "tbtnpesquisa.h"
#include "tdatasource.h"
#include "tdtmdbgeral.h"

#include "daycount.h"

#include <QLineEdit>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using packet::FieldKind;

namespace {

// A branch table in a fresh SQLite file, named by the session.
struct Database {
    QTemporaryDir dir;
    QString path = dir.filePath("geral.db");

    Database()
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "setup");
            db.setDatabaseName(path);
            db.open();
            QSqlQuery q(db);
            q.exec("CREATE TABLE FILIAL (CDFILIAL CHAR(4), NMFILIAL VARCHAR(50), VRLIMITE DOUBLE, DTABERTURA DATE)");
            q.exec("INSERT INTO FILIAL VALUES ('0001', 'Matriz', 1500.5, '2020-03-01'),"
                   " ('0002', 'Filial Sul', NULL, NULL), ('0003', 'O''Brien', 10, '2021-12-31')");
        }
        QSqlDatabase::removeDatabase("setup");
        useSession(path);
    }
    ~Database() { dtmDBGeral().disconnect(); }

    static void useSession(const QString &database)
    {
        SessionValues values = Session::values();
        values.database = database;
        Session::set(values);
        dtmDBGeral().disconnect();
    }
};

void declareBranch(TADOIBQuery &query)
{
    query.addField({.name = "CDFILIAL", .kind = FieldKind::Text, .size = 4});
    query.addField({.name = "NMFILIAL", .kind = FieldKind::Text, .size = 50});
}

}  // namespace

class TADOIBQueryTest : public QObject {
    Q_OBJECT
private slots:
    // The value is always data, whatever it looks like.
    void shouldBindTheParameter_data()
    {
        QTest::addColumn<QString>("paramName");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("name");  // empty: no row
        QTest::newRow("existing branch") << "P_CDFILIAL"
                                         << "0002"
                                         << "Filial Sul";
        QTest::newRow("name with colon, other case") << ":p_cdfilial"
                                                     << "0001"
                                                     << "Matriz";
        QTest::newRow("unknown branch") << "P_CDFILIAL"
                                        << "9999"
                                        << "";
        QTest::newRow("always-true injection") << "P_CDFILIAL"
                                               << "' OR '1'='1"
                                               << "";
        QTest::newRow("comment injection") << "P_CDFILIAL"
                                           << "0001' --"
                                           << "";
        QTest::newRow("statement injection") << "P_CDFILIAL"
                                             << "0001'; DROP TABLE FILIAL; --"
                                             << "";
    }
    void shouldBindTheParameter()
    {
        QFETCH(QString, paramName);
        QFETCH(QString, value);
        QFETCH(QString, name);
        Database db;
        TADOIBQuery query;
        declareBranch(query);
        query.SQL << "SELECT CDFILIAL, NMFILIAL"
                  << "  FROM FILIAL"
                  << " WHERE CDFILIAL = :P_CDFILIAL"
                  << " ";
        query.ParamByName(paramName).setAsString(value);
        query.Open();
        QCOMPARE(query.IsEmpty(), name.isEmpty());
        if (!name.isEmpty())
            QCOMPARE(query.AsString("NMFILIAL"), name);

        TADOIBQuery count;  // the table is still whole
        count.SQL << "SELECT COUNT(*) AS N FROM FILIAL";
        count.Open();
        QCOMPARE(count.AsString("N"), QString("3"));
    }

    void shouldLeaveQuotedTextAndUnsetParametersAlone()
    {
        Database db;
        TADOIBQuery query;
        query.SQL << "SELECT ':X' AS TAG, CDFILIAL FROM FILIAL WHERE NMFILIAL = 'O''Brien' OR CDFILIAL = :P";
        query.Open();  // :P never set: bound as null, matching nothing
        QCOMPARE(query.RecordCount(), 1);
        QCOMPARE(query.AsString("TAG"), QString(":X"));
        QCOMPARE(query.AsString("CDFILIAL"), QString("0003"));
    }

    void shouldMatchColumnsWithoutRegardToCase_data()
    {
        QTest::addColumn<QString>("select");
        QTest::newRow("lower case, as PostgreSQL answers") << "SELECT cdfilial AS cdfilial, nmfilial AS nmfilial";
        QTest::newRow("mixed case, other order") << "SELECT NmFilial AS NmFilial, CdFilial AS CdFilial";
    }
    void shouldMatchColumnsWithoutRegardToCase()
    {
        QFETCH(QString, select);
        Database db;
        TADOIBQuery query;
        declareBranch(query);
        query.SQL << select << "FROM FILIAL ORDER BY 1";
        query.Open();
        QCOMPARE(query.RecordCount(), 3);
        query.MoveTo(query.RecordCount() - 1);
        QVERIFY(query.AsString("CDFILIAL").startsWith("000"));
        QVERIFY(!query.AsString("NMFILIAL").isEmpty());
    }

    void shouldLoadNumbersDatesAndNulls()
    {
        Database db;
        TADOIBQuery query;
        declareBranch(query);
        query.addField({.name = "VRLIMITE", .kind = FieldKind::Float});
        query.addField({.name = "DTABERTURA", .kind = FieldKind::DateTime});
        query.SQL << "SELECT * FROM FILIAL ORDER BY CDFILIAL";
        query.Open();
        QCOMPARE(query.AsFloat("VRLIMITE"), 1500.5);
        QCOMPARE(query.value("DTABERTURA").toDouble(), packet::toDayCount(QDate(2020, 3, 1)));
        query.Next();
        QVERIFY(query.IsNull("VRLIMITE"));
        QVERIFY(query.IsNull("DTABERTURA"));
    }

    void shouldMakeTextFieldsOfUndeclaredColumns()
    {
        Database db;
        TADOIBQuery query;
        query.SQL << "SELECT cdfilial, nmfilial FROM FILIAL ORDER BY cdfilial";
        query.Open();
        QCOMPARE(query.fields().size(), 2);
        QCOMPARE(query.fields()[0].name, QString("CDFILIAL"));
        QCOMPARE(query.AsString("NMFILIAL"), QString("Matriz"));
        query.Open();  // again: same fields, rows loaded afresh
        QCOMPARE(query.RecordCount(), 3);
        query.Close();
        QVERIFY(query.IsEmpty());
    }

    void shouldRaiseTheOperatorsTextAndKeepTheSetClosed_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown table") << "SELECT CDFILIAL, NMFILIAL FROM NOPE"
                                       << "não tem as tabelas esperadas (falta NOPE)";
        QTest::newRow("syntax") << "SELEKT 1"
                                << "Falha ao consultar o banco de dados";
        QTest::newRow("declared field missing") << "SELECT CDFILIAL FROM FILIAL"
                                                << "NMFILIAL";
    }
    void shouldRaiseTheOperatorsTextAndKeepTheSetClosed()
    {
        QFETCH(QString, sql);
        QFETCH(QString, message);
        Database db;
        TADOIBQuery query;
        declareBranch(query);
        query.SQL << "SELECT CDFILIAL, NMFILIAL FROM FILIAL";
        query.Open();
        query.SQL = QStringList{sql};
        try {
            query.Open();
            QFAIL("no error raised");
        } catch (const database::DatabaseError &error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(message, Qt::CaseInsensitive), error.what());
        }
        QVERIFY(!query.Active());
    }

    void shouldConnectAgainAfterAFailedOpen()
    {
        Database db;
        Database::useSession(db.dir.filePath("missing/dir/geral.db"));
        TADOIBQuery query;
        declareBranch(query);
        query.SQL << "SELECT CDFILIAL, NMFILIAL FROM FILIAL";
        QVERIFY_THROWS_EXCEPTION(database::DatabaseError, query.Open());
        QVERIFY(!QSqlDatabase::contains("adcGeral"));
        Database::useSession(db.path);
        query.Open();
        QCOMPARE(query.RecordCount(), 3);
        QVERIFY(dtmDBGeral().adcGeral().isOpen());
        dtmDBGeral().disconnect();
        QVERIFY(!QSqlDatabase::contains("adcGeral"));
        query.Open();  // opens the connection again on use
        QCOMPARE(query.RecordCount(), 3);
    }

    // The lookup button runs its query afresh on every click.
    void shouldLookUpTheTableAsItIsNow_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<bool>("picks");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("pickedName");
        QTest::newRow("rows, picked") << "" << true << QStringList{"lookup"} << "Filial Sul";
        QTest::newRow("rows, cancelled") << "" << false << QStringList{"lookup"} << "";
        QTest::newRow("empty table") << "WHERE 1 = 0" << true << QStringList{"error"} << "";
    }
    void shouldLookUpTheTableAsItIsNow()
    {
        QFETCH(QString, where);
        QFETCH(bool, picks);
        QFETCH(QStringList, shown);
        QFETCH(QString, pickedName);
        Database db;
        ScriptedDialogs dialogs;
        TADOIBQuery query;
        declareBranch(query);
        query.SQL << "SELECT CDFILIAL, NMFILIAL FROM FILIAL" << where << "ORDER BY CDFILIAL";
        TDataSource source;
        source.setDataSet(&query);
        TBtnPesquisa button;
        button.DataSource = &source;
        button.Title = "Filial";
        button.EmptyError = "Não há filial cadastrada.";
        QString picked;
        button.OnAfterPesq = [&] { picked = query.AsString("NMFILIAL"); };
        dialogs.onLookup = [&](TDataSource *s, const QString &title) {
            if (title != "Filial" || s != &source)
                return false;
            s->dataSet()->MoveTo(1);
            return picks;
        };
        button.click();  // guarded: the empty-table abort ends quietly
        QStringList kinds;
        for (const auto &entry : dialogs.shown)
            kinds << entry.kind;
        QCOMPARE(kinds, shown);
        if (shown == QStringList{"error"})
            QCOMPARE(dialogs.errors(), QStringList{"Não há filial cadastrada."});
        QCOMPARE(picked, pickedName);
    }

    // The list opens on the code typed in the associated field and shows the
    // names of FieldNome; a code it lacks leaves the start to the list.
    void shouldOpenTheListOnTheAssociatedCode_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("startRow");
        QTest::newRow("a listed code") << "0002" << 1;
        QTest::newRow("with blanks") << " 0003 " << 2;
        QTest::newRow("an unknown code") << "0099" << -1;
        QTest::newRow("nothing typed") << "" << -1;
    }
    void shouldOpenTheListOnTheAssociatedCode()
    {
        QFETCH(QString, typed);
        QFETCH(int, startRow);
        Database db;
        ScriptedDialogs dialogs;
        TADOIBQuery query;
        declareBranch(query);
        query.SQL << "SELECT CDFILIAL, NMFILIAL FROM FILIAL ORDER BY CDFILIAL";
        TDataSource source;
        source.setDataSet(&query);
        QLineEdit code;
        code.setText(typed);
        TBtnPesquisa button;
        button.Associate = &code;
        button.DataSource = &source;
        button.FieldNome = "NMFILIAL";
        button.Title = "Filial";
        button.click();
        QCOMPARE(dialogs.lookups.size(), 1);
        QCOMPARE(dialogs.lookups[0].startRow, startRow);
        QCOMPARE(dialogs.lookups[0].nameField, QString("NMFILIAL"));
        QCOMPARE(dialogs.lookups[0].source, &source);
    }
};

QTEST_MAIN(TADOIBQueryTest)
#include "tadoibquerytest.moc"

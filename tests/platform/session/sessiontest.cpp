// The session read from the command line and the config file, and the host's
// own options.

#include "session.h"
#include "hostoptions.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>

namespace {

SessionValues demo()
{
    SessionValues values;
    values.branchCode = QStringLiteral("0001");
    values.branchName = QStringLiteral("MATRIZ");
    values.operatorCode = QStringLiteral("ADMIN");
    values.database = QStringLiteral("/tmp/commission.db");
    return values;
}

QStringList commandLine(const QStringList &options)
{
    return QStringList{QStringLiteral("commission-host")} + options;
}

// Everything a session holds, in one comparable text.
QString describe(const SessionValues &values)
{
    return QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
        .arg(values.branchCode, values.branchName, values.branchFixed ? "S" : "N", values.operatorCode,
             values.serverHost)
        .arg(values.serverPort)
        .arg(values.serverSecret, values.database);
}

}  // namespace

class SessionTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writeConfig(const QString &name, const QByteArray &text)
    {
        QFile file(m_dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(text);
        return file.fileName();
    }

private slots:
    void shouldReadOptionsOverDefaults_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("session");
        QTest::newRow("no options: the defaults")
            << QStringList() << "0001|MATRIZ|N|ADMIN|127.0.0.1|8211||/tmp/commission.db";
        QTest::newRow("every option") << QStringList{"--branch",
                                                     "2",
                                                     "--branch-name",
                                                     "Filial Sul",
                                                     "--fixed-branch",
                                                     "--operator",
                                                     "MARIA",
                                                     "--server",
                                                     "10.0.0.5",
                                                     "--port",
                                                     "9000",
                                                     "--secret",
                                                     "s3",
                                                     "--database",
                                                     "postgresql://u:p@db:5432/comissao"}
                                      << "0002|Filial Sul|S|MARIA|10.0.0.5|9000|s3|postgresql://u:p@db:5432/comissao";
        QTest::newRow("equals form") << QStringList{"--port=8300", "--branch=ab"}
                                     << "00AB|MATRIZ|N|ADMIN|127.0.0.1|8300||/tmp/commission.db";
        QTest::newRow("blanks trimmed, branch upper case") << QStringList{"--branch", " x1 ", "--operator", " JOAO "}
                                                           << "00X1|MATRIZ|N|JOAO|127.0.0.1|8211||/tmp/commission.db";
        QTest::newRow("last repeated option wins") << QStringList{"--port", "8300", "--port", "8400"}
                                                   << "0001|MATRIZ|N|ADMIN|127.0.0.1|8400||/tmp/commission.db";
    }

    void shouldReadOptionsOverDefaults()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, session);
        QCOMPARE(describe(Session::fromArguments(commandLine(options), demo())), session);
    }

    void shouldRefuseBadOptionsNamingTheValue_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("named");
        QTest::newRow("port not a number") << QStringList{"--port", "abc"} << "Porta do servidor inválida: \"abc\"";
        QTest::newRow("port zero") << QStringList{"--port", "0"} << "Porta do servidor inválida: \"0\"";
        QTest::newRow("port too big") << QStringList{"--port", "70000"} << "\"70000\"";
        QTest::newRow("branch too long") << QStringList{"--branch", "12345"} << "Código de filial inválido: \"12345\"";
        QTest::newRow("branch with symbols") << QStringList{"--branch", "1-2"} << "\"1-2\"";
        QTest::newRow("fixed branch without branch")
            << QStringList{"--branch", " ", "--fixed-branch"} << "A filial fixa exige o código da filial";
        QTest::newRow("no operator") << QStringList{"--operator", ""} << "Operador não informado";
        QTest::newRow("no server") << QStringList{"--server", " "} << "Endereço do servidor inválido";
        QTest::newRow("no database") << QStringList{"--database", ""} << "Banco de dados não informado.";
        QTest::newRow("bad database address")
            << QStringList{"--database", "postgresql://"} << "Endereço de banco PostgreSQL inválido";
        QTest::newRow("unknown option") << QStringList{"--colour", "red"} << "Opção desconhecida: colour";
        QTest::newRow("option without value") << QStringList{"--port"} << "Linha de comando inválida";
        QTest::newRow("stray argument") << QStringList{"extra"} << "Argumento inesperado: extra";
        QTest::newRow("missing config file")
            << QStringList{"--config", "/nonexistent/host.ini"}
            << "Não foi possível ler o arquivo de configuração /nonexistent/host.ini: ele não existe";
        QTest::newRow("config file is a folder")
            << QStringList{"--config", "/tmp"} << "Não foi possível ler o arquivo de configuração /tmp: é uma pasta";
    }

    void shouldRefuseBadOptionsNamingTheValue()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, named);
        try {
            Session::fromArguments(commandLine(options), demo());
            QFAIL("the options were accepted");
        } catch (const std::invalid_argument &error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(named), error.what());
        }
    }

    void shouldReadConfigFileUnderCommandLine_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("session");
        const QByteArray full = "; session of the test host\n"
                                "[session]\n"
                                "branch = 3\n"
                                "branch-name = \"Filial Norte \"\n"
                                "fixed-branch = S\n"
                                "operator=CARLOS\n"
                                "# the server\n"
                                "server = srv\n"
                                "port = 8500\n"
                                "secret = abc\n"
                                "database = sqlite:/data/c.db\n";
        QTest::newRow("everything from the file")
            << full << QStringList() << "0003|Filial Norte|S|CARLOS|srv|8500|abc|sqlite:/data/c.db";
        QTest::newRow("command line wins") << full << QStringList{"--port", "8600", "--branch", "9"}
                                           << "0009|Filial Norte|S|CARLOS|srv|8600|abc|sqlite:/data/c.db";
        QTest::newRow("file keeps what it does not name")
            << QByteArray("port = 8700\n") << QStringList() << "0001|MATRIZ|N|ADMIN|127.0.0.1|8700||/tmp/commission.db";
        QTest::newRow("flag written as N") << QByteArray("fixed-branch = n\n") << QStringList{"--branch", "5"}
                                           << "0005|MATRIZ|N|ADMIN|127.0.0.1|8211||/tmp/commission.db";
    }

    void shouldTakeTheServerAuthorityFromOptionsOrTheFile_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("authority");  // file name in the test folder, or "error:" and the message
        QTest::newRow("none: plain HTTP") << QByteArray() << QStringList() << "";
        QTest::newRow("from the command line") << QByteArray() << QStringList{"--server-ca", "%1/ca.pem"} << "ca.pem";
        QTest::newRow("from the config file") << QByteArray("server-ca = %1/ca.pem\n") << QStringList() << "ca.pem";
        QTest::newRow("a file that does not exist") << QByteArray() << QStringList{"--server-ca", "%1/none.pem"}
                                                    << "error:Arquivo da autoridade do servidor não encontrado";
    }

    void shouldTakeTheServerAuthorityFromOptionsOrTheFile()
    {
        QFETCH(QByteArray, config);
        QFETCH(QStringList, options);
        QFETCH(QString, authority);
        writeConfig(QStringLiteral("ca.pem"), "-----BEGIN CERTIFICATE-----\n");
        config.replace("%1", m_dir.path().toUtf8());
        for (QString &option : options)
            option.replace(QStringLiteral("%1"), m_dir.path());
        if (!config.isEmpty())
            options << QStringLiteral("--config") << writeConfig(QStringLiteral("ca.ini"), config);
        try {
            const SessionValues values = Session::fromArguments(commandLine(options), demo());
            QCOMPARE(values.serverCaFile, authority.isEmpty() ? QString() : m_dir.filePath(authority));
        } catch (const std::invalid_argument &error) {
            QVERIFY2(authority.startsWith(QLatin1String("error:")), error.what());
            QVERIFY2(QString::fromUtf8(error.what()).contains(authority.mid(6)), error.what());
        }
    }

    void shouldNameTheBranchFromTheBranchTableWhenNoNameIsGiven_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("givenName");
        QTest::addColumn<QString>("database");  // "table": a database with the branch table
        QTest::addColumn<QString>("name");
        QTest::newRow("from the table") << "0002"
                                        << ""
                                        << "table"
                                        << "Filial Norte";
        QTest::newRow("a given name wins") << "0002"
                                           << "Minha filial"
                                           << "table"
                                           << "Minha filial";
        QTest::newRow("a branch the table lacks") << "0009"
                                                  << ""
                                                  << "table"
                                                  << "";
        QTest::newRow("a database that does not exist") << "0002"
                                                        << ""
                                                        << "missing"
                                                        << "";
    }

    void shouldNameTheBranchFromTheBranchTableWhenNoNameIsGiven()
    {
        QFETCH(QString, code);
        QFETCH(QString, givenName);
        QFETCH(QString, database);
        QFETCH(QString, name);
        const QString path = m_dir.filePath(database + QStringLiteral(".db"));
        if (database == QLatin1String("table") && !QFile::exists(path)) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("branches"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery(db).exec(QStringLiteral("CREATE TABLE FILIAL (CDFILIAL TEXT, NMFILIAL TEXT)"));
            QSqlQuery(db).exec(
                QStringLiteral("INSERT INTO FILIAL VALUES ('0001', 'Filial Centro'), ('0002', 'Filial Norte ')"));
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("branches"));
        }
        SessionValues values = demo();
        values.branchCode = code;
        values.branchName = givenName;
        values.database = path;
        QCOMPARE(Session::withStoredBranchName(values).branchName, name);
        // Looking never creates a database.
        QCOMPARE(QFile::exists(path), database == QLatin1String("table"));
    }

    void shouldReadConfigFileUnderCommandLine()
    {
        QFETCH(QByteArray, config);
        QFETCH(QStringList, options);
        QFETCH(QString, session);
        const QString path = writeConfig(QStringLiteral("good.ini"), config);
        const SessionValues values =
            Session::fromArguments(commandLine(QStringList{"--config", path} + options), demo());
        QCOMPARE(describe(values), session);
    }

    void shouldRefuseBadConfigFileNamingLine_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QString>("named");
        QTest::newRow("bad port") << QByteArray("\nport = x\n") << "Porta do servidor inválida: \"x\"";
        QTest::newRow("bad port names line") << QByteArray("\nport = x\n") << "linha 2";
        QTest::newRow("unknown key") << QByteArray("colour = red\n") << "Opção desconhecida: colour";
        QTest::newRow("line without key") << QByteArray("just text\n") << "Linha 1 inválida";
        QTest::newRow("bad flag") << QByteArray("fixed-branch = talvez\n") << "Valor inválido para fixed-branch";
        QTest::newRow("file pointing to another") << QByteArray("config = other.ini\n") << "não pode indicar outro";
    }

    void shouldRefuseBadConfigFileNamingLine()
    {
        QFETCH(QByteArray, config);
        QFETCH(QString, named);
        const QString path = writeConfig(QStringLiteral("bad.ini"), config);
        try {
            Session::fromArguments(commandLine({"--config", path}), demo());
            QFAIL("the config file was accepted");
        } catch (const std::invalid_argument &error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(named), error.what());
        }
    }

    void shouldAnswerSessionAccessorsFromCurrentSession()
    {
        SessionValues values = demo();
        values.branchFixed = true;
        values.serverHost = QStringLiteral("app");
        values.serverPort = 8999;
        Session::set(values);
        QCOMPARE(FiliProc(), QStringLiteral("0001"));
        QCOMPARE(NomeFiliProc(), QStringLiteral("MATRIZ"));
        QVERIFY(ModuFili());
        QCOMPARE(WebURL(), QStringLiteral("app"));
        QCOMPARE(WebPort(), 8999);
        QCOMPARE(Operador(), QStringLiteral("ADMIN"));
    }

    void shouldTakeOpenModuleWithOrWithoutFile_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("port");
        QTest::newRow("not asked") << QStringList{"--port", "9001"} << false << "" << 9001;
        QTest::newRow("default module") << QStringList{"--open-module"} << true << "" << 8211;
        QTest::newRow("default module before an option")
            << QStringList{"--open-module", "--port", "9001"} << true << "" << 9001;
        QTest::newRow("file given") << QStringList{"--open-module", "/opt/m.so", "--port", "9001"} << true
                                    << "/opt/m.so" << 9001;
        QTest::newRow("equals form") << QStringList{"--open-module=/opt/m.so"} << true << "/opt/m.so" << 8211;
    }

    void shouldTakeOpenModuleWithOrWithoutFile()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, open);
        QFETCH(QString, path);
        QFETCH(int, port);
        const HostOptions host = HostOptions::parse(commandLine(options), demo());
        QCOMPARE(host.openModule, open);
        QCOMPARE(host.modulePath, path);
        QCOMPARE(host.session.serverPort, port);
        QVERIFY(!host.helpRequested);
    }

    void shouldRefuseBadHostOptions_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("named");
        QTest::newRow("empty module file") << QStringList{"--open-module="} << "--open-module=<arquivo>";
        QTest::newRow("bad session value") << QStringList{"--open-module", "--port", "x"} << "\"x\"";
        QTest::newRow("stray argument") << QStringList{"--port", "9001", "extra"} << "Argumento inesperado: extra";
    }

    void shouldRefuseBadHostOptions()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, named);
        try {
            HostOptions::parse(commandLine(options), demo());
            QFAIL("the options were accepted");
        } catch (const std::invalid_argument &error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(named), error.what());
        }
    }

    void shouldStopAtHelpBeforeCheckingValues()
    {
        const HostOptions host = HostOptions::parse(commandLine({"--port", "x", "--help"}), demo());
        QVERIFY(host.helpRequested);
        QVERIFY(HostOptions::usage().contains(QStringLiteral("--open-module")));
    }
};

QTEST_GUILESS_MAIN(SessionTest)
#include "sessiontest.moc"

#include "serverprogram.h"

#include "calllog.h"
#include "commissionhttpserver.h"
#include "connectionprovider.h"
#include "demodatagenerator.h"
#include "logfile.h"
#include "logline.h"
#include "operatoradministration.h"
#include "schema.h"
#include "serveroptions.h"
#include "serviceerror.h"
#include "sqlitebackup.h"
#include "sqlrunner.h"

#include <connectionstring.h>

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <pthread.h>
#include <string>
#include <sys/statvfs.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace commission {

namespace {

// While the server serves, what it says are lines of its log (logfmt, to
// --log-file or standard error) from the start; the other commands talk to
// a person at a terminal, in plain text.
LogFile *servingLog = nullptr;

void tell(const char *level, const QString &text)
{
    if (servingLog)
        servingLog->write(LogLine::event(level, text));
    else
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

void say(const QString &text)
{
    tell("info", text);
}

void complain(const QString &text)
{
    tell("error", text);
}

// The log the serving server writes to, for as long as it serves.
class ServingLog {
public:
    explicit ServingLog(LogFile &log) { servingLog = &log; }
    ~ServingLog() { servingLog = nullptr; }
    ServingLog(const ServingLog &) = delete;
    ServingLog &operator=(const ServingLog &) = delete;
};

// The signals the serving server takes in one thread of its own
// (StopOnSignal), blocked before any other thread starts: a thread started
// with them unblocked (a database worker) would get them and the process
// would end at once.
void blockServerSignals()
{
    sigset_t taken;
    sigemptyset(&taken);
    sigaddset(&taken, SIGINT);
    sigaddset(&taken, SIGTERM);
    sigaddset(&taken, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &taken, nullptr);
}

// After SIGHUP: logrotate has moved the file away, or someone asks for a
// new one. The server goes on.
void reopenLog()
{
    if (!servingLog || servingLog->path().isEmpty())
        return;
    const QString problem = servingLog->reopen();
    if (problem.isEmpty())
        say(QStringLiteral("Arquivo de log reaberto."));
    else
        complain(problem);
}

// SIGINT and SIGTERM are taken by one thread that stops the server: no new
// connection, every call already in finishes and is answered, for up to
// `timeout`; then the worker threads end and close their connections. The
// same thread reopens the log file on SIGHUP.
class StopOnSignal {
public:
    // The signals are blocked already (blockServerSignals()).
    StopOnSignal(CommissionHttpServer &server, std::chrono::seconds timeout)
    {
        sigemptyset(&m_signals);
        sigaddset(&m_signals, SIGINT);
        sigaddset(&m_signals, SIGTERM);
        sigaddset(&m_signals, SIGHUP);
        m_waiter = std::thread([this, &server, timeout] {
            int received = SIGHUP;
            while (received == SIGHUP) {
                if (sigwait(&m_signals, &received) != 0 || m_ended)
                    return;
                if (received == SIGHUP)
                    reopenLog();
            }
            say(QStringLiteral("Encerrando (%1): sem novas conexões; as chamadas em curso terminam (prazo de %2 s).")
                    .arg(QString::fromLatin1(received == SIGINT ? "SIGINT" : "SIGTERM"))
                    .arg(timeout.count()));
            m_outcome = server.drain(timeout);
        });
    }

    // Once the server has stopped.
    const CommissionHttpServer::StopOutcome &outcome()
    {
        finish();
        return m_outcome;
    }

    ~StopOnSignal() { finish(); }

private:
    void finish()
    {
        if (!m_waiter.joinable())
            return;
        m_ended = true;
        // Wakes the waiting thread when the server ended on its own: it waits
        // for SIGTERM in sigwait, which takes the signal instead of ending.
        pthread_kill(m_waiter.native_handle(), SIGTERM);  // NOLINT(bugprone-bad-signal-to-kill-thread)
        m_waiter.join();
    }

    sigset_t m_signals;
    std::atomic<bool> m_ended{false};
    CommissionHttpServer::StopOutcome m_outcome;
    std::thread m_waiter;
};

// One line of standard input, without echo when it is a terminal.
QString readPasswordLine()
{
    const bool terminal = isatty(STDIN_FILENO) != 0;
    termios saved{};
    if (terminal) {
        std::fprintf(stderr, "Senha: ");
        tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::string line;
    std::getline(std::cin, line);
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::fprintf(stderr, "\n");
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromStdString(line);
}

}  // namespace

int ServerProgram::run(const ServerOptions &options)
{
    const bool serving = !options.createDemo && !options.init && options.backupFile.isEmpty()
                         && options.command == ServerOptions::Command::Serve;
    LogFile log(serving ? options.logFile : QString());
    const QString unusableLog = log.open();
    if (!unusableLog.isEmpty()) {
        say(unusableLog);
        return 1;
    }
    std::optional<ServingLog> servingTo;
    if (serving) {
        blockServerSignals();
        servingTo.emplace(log);
    }
    try {
        if (options.createDemo)
            return createDemo(options);
        if (options.init)
            return init(options);
        if (!options.backupFile.isEmpty())
            return backup(options);
        if (options.command != ServerOptions::Command::Serve)
            return administer(options);
        return serve(options);
    } catch (const database::DatabaseError &error) {
        complain(QString::fromStdString(error.what()));
    } catch (const ServiceError &error) {
        complain(error.detail().isEmpty() ? error.message()
                                          : QStringLiteral("%1: %2").arg(error.message(), error.detail()));
    }
    return 1;
}

QString ServerProgram::missingDatabase(const database::ConnectionString &where)
{
    if (!where.isSqlite() || QFileInfo::exists(where.databaseName))
        return QString();
    return QStringLiteral("O banco %1 não existe. Confira o caminho em --database, ou crie o banco com --init"
                          " (vazio) ou --create-demo (com dados de demonstração).")
        .arg(where.describe());
}

QString ServerProgram::unwritableDatabase(const database::ConnectionString &where)
{
    if (!where.isSqlite())
        return QString();
    const QFileInfo file(where.databaseName);
    const QString folder = file.absolutePath();
    struct statvfs system {};
    QString reason;
    if (statvfs(QFile::encodeName(folder).constData(), &system) == 0 && (system.f_flag & ST_RDONLY) != 0)
        reason = QStringLiteral("o sistema de arquivos de %1 é somente leitura").arg(folder);
    else if (access(QFile::encodeName(file.absoluteFilePath()).constData(), W_OK) != 0)
        reason = QStringLiteral("este usuário não tem permissão de escrita no arquivo");
    else if (access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0)
        reason = QStringLiteral("este usuário não tem permissão de escrita na pasta %1, onde ficam os arquivos"
                                " de diário do banco (-wal, -shm)")
                     .arg(folder);
    if (reason.isEmpty())
        return QString();
    return QStringLiteral("O banco %1 não pode ser gravado: %2. Confira as permissões ou o usuário do servidor.")
        .arg(where.describe(), reason);
}

int ServerProgram::init(const ServerOptions &options)
{
    ConnectionProvider connections(database::ConnectionString::parse(options.database));
    const QSqlDatabase db = connections.database();
    if (Schema::version(db) > 0) {
        say(QStringLiteral("O banco %1 já existe; nada foi criado.").arg(connections.where().describe()));
        return 1;
    }
    Schema::migrate(db);
    say(QStringLiteral("Banco vazio criado em %1, sem operadores. Inclua o primeiro com"
                       " --database %1 --add-operator CÓDIGO --name NOME (a senha é lida da entrada padrão) e"
                       " conceda-lhe direitos com --grant CÓDIGO --branch '*' --rights consultar,gerar,cancelar.")
            .arg(connections.where().describe()));
    return 0;
}

int ServerProgram::administer(const ServerOptions &options)
{
    const database::ConnectionString where = database::ConnectionString::parse(options.database);
    const QString missing = missingDatabase(where);
    if (!missing.isEmpty()) {
        say(missing);
        return 1;
    }
    ConnectionProvider connections(where);
    const QSqlDatabase db = connections.database();
    if (Schema::version(db) == 0) {
        say(QStringLiteral("O banco %1 não tem as tabelas da comissão; crie-as com --init.").arg(where.describe()));
        return 1;
    }
    Schema::migrate(db);
    return OperatorAdministration(db, say, readPasswordLine).run(options);
}

int ServerProgram::backup(const ServerOptions &options)
{
    const database::ConnectionString where = database::ConnectionString::parse(options.database);
    if (!where.isSqlite()) {
        say(QStringLiteral("--backup copia bancos SQLite. Para o PostgreSQL use pg_dump e pg_restore, como em"
                           " docs/server.md: pg_dump --format=custom --file=ARQUIVO --dbname=%1")
                .arg(where.describe()));
        return 1;
    }
    const QString missing = missingDatabase(where);
    if (!missing.isEmpty()) {
        say(missing);
        return 1;
    }
    const SqliteBackup::Result copied = SqliteBackup::copy(where.databaseName, options.backupFile);
    if (!copied.problem.isEmpty()) {
        say(copied.problem);
        return 1;
    }
    say(QStringLiteral("Cópia de %1 gravada em %2 (%3 páginas).")
            .arg(where.describe(), options.backupFile)
            .arg(copied.pages));
    return 0;
}

int ServerProgram::createDemo(const ServerOptions &options)
{
    ConnectionProvider connections(database::ConnectionString::parse(options.database));
    const QSqlDatabase db = connections.database();
    Schema::migrate(db);
    QSqlQuery existing = SqlRunner::run(db, QStringLiteral("SELECT COUNT(*) FROM ORCAEVENTO"));
    existing.next();
    if (existing.value(0).toLongLong() > 0) {
        say(QStringLiteral("O banco %1 já tem orçamentos; os dados de demonstração vão para um banco vazio.")
                .arg(connections.where().describe()));
        return 1;
    }
    const DemoSize size = DemoSize::demo();
    DemoDataGenerator(size).generate(db);
    OperatorAdministration::addDemoOperators(db);
    say(QStringLiteral("Banco de demonstração criado em %1: %2 filiais, %3 vendedores, %4 orçamentos.")
            .arg(connections.where().describe())
            .arg(size.branches)
            .arg(size.salespeople)
            .arg(size.quotes));
    return 0;
}

int ServerProgram::serve(const ServerOptions &options)
{
    const database::ConnectionString where = database::ConnectionString::parse(options.database);
    // A mistyped path must not become a new, empty database that answers
    // every call as if nothing had been set up.
    const QString missing = missingDatabase(where);
    if (!missing.isEmpty()) {
        complain(missing);
        return 1;
    }
    // A database that cannot be written reads as one without tables; the
    // administrator is told what is really wrong.
    const QString unwritable = unwritableDatabase(where);
    if (!unwritable.isEmpty()) {
        complain(unwritable);
        return 1;
    }
    ConnectionProvider connections(where);
    const int found = Schema::version(connections.database());
    if (found == 0) {
        complain(QStringLiteral("O banco %1 não tem as tabelas da comissão. Confira --database, ou crie-as com --init.")
                     .arg(where.describe()));
        return 1;
    }
    Schema::migrate(connections.database());
    if (found < Schema::latestVersion())
        say(QStringLiteral("Banco %1 migrado do esquema %2 para o %3.")
                .arg(where.describe())
                .arg(found)
                .arg(Schema::latestVersion()));
    connections.discard();

    HttpSettings settings;
    settings.listenAddress = options.listenAddress;
    settings.port = options.port;
    settings.secret = options.secret;
    settings.threads = options.threads;
    settings.ioThreads = options.ioThreads;
    settings.queueLimit = options.queueLimit;
    settings.headerTimeout = std::chrono::seconds(options.headerTimeoutSeconds);
    settings.bodyTimeout = std::chrono::seconds(options.bodyTimeoutSeconds);
    settings.idleTimeout = std::chrono::seconds(options.idleTimeoutSeconds);
    settings.tlsCertificate = options.tlsCertificate;
    settings.tlsKey = options.tlsKey;
    settings.directory = options.directory;
    CommissionHttpServer server(settings, connections, servingLog ? servingLog->sink() : CallLog::standardError());
    const QString tlsProblem = server.prepareTls();
    if (!tlsProblem.isEmpty()) {
        complain(tlsProblem);
        return 1;
    }
    const std::optional<int> port = server.bind();
    if (!port) {
        complain(QStringLiteral("Não foi possível escutar em %1:%2.").arg(options.listenAddress).arg(options.port));
        return 1;
    }
    say(QStringLiteral("Servidor de comissões em %1://%2:%3 (banco %4, %5 trabalhadores, fila de %6%7)")
            .arg(settings.usesTls() ? QStringLiteral("https") : QStringLiteral("http"), options.listenAddress)
            .arg(*port)
            .arg(connections.where().describe())
            .arg(options.threads)
            .arg(options.queueLimit)
            .arg(options.secret.isEmpty() ? QString() : QStringLiteral(", com segredo")));
    StopOnSignal stopOnSignal(server, std::chrono::seconds(options.stopTimeoutSeconds));
    server.run();
    const CommissionHttpServer::StopOutcome &outcome = stopOnSignal.outcome();
    if (outcome.clean()) {
        say(QStringLiteral("Servidor de comissões encerrado."));
        return 0;
    }
    say(QStringLiteral("Servidor de comissões encerrado com %1 chamada(s) desfeita(s) no fim do prazo.")
            .arg(outcome.abandoned.size()));
    // A call stuck in the database would hold the workers' end forever: the
    // process ends under it, and its transaction, never committed, is
    // rolled back by the database.
    if (outcome.stuck > 0) {
        std::fflush(stderr);
        std::_Exit(abandonedExitCode);
    }
    return abandonedExitCode;
}

}  // namespace commission

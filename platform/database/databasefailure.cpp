#include "databasefailure.h"

#include <QRegularExpression>
#include <QSqlError>

namespace database {

namespace {

// The table a statement missed, as SQLite ("no such table: FILIAL") and
// PostgreSQL ("relation \"filial\" does not exist") name it.
QString missingTableName(const QString &driverText)
{
    static const QRegularExpression sqlite(QStringLiteral("no such table: ([\\w.]+)"));
    static const QRegularExpression postgres(QStringLiteral("relation \"([^\"]+)\" does not exist"));
    for (const QRegularExpression *pattern : {&sqlite, &postgres}) {
        const QRegularExpressionMatch match = pattern->match(driverText);
        if (match.hasMatch())
            return match.captured(1).toUpper();
    }
    return {};
}

}  // namespace

DatabaseFailure::Kind DatabaseFailure::classify(const QSqlError &error)
{
    const QString text = error.databaseText() + QLatin1Char(' ') + error.driverText();
    const QString state = error.nativeErrorCode();
    const auto says = [&text](const char *words) { return text.contains(QLatin1String(words), Qt::CaseInsensitive); };

    if (!missingTableName(text).isEmpty() || state == QLatin1String("42P01"))
        return Kind::MissingTable;
    if (says("readonly database") || says("read-only") || state == QLatin1String("25006"))
        return Kind::ReadOnly;
    if (says("file is not a database") || says("file is encrypted"))
        return Kind::NotADatabase;
    if (says("database is locked") || says("database table is locked") || state == QLatin1String("55P03"))
        return Kind::Busy;
    if (says("unable to open database file") || says("disk I/O error"))
        return Kind::CannotOpen;
    if (error.type() == QSqlError::ConnectionError || state.startsWith(QLatin1String("08"))
        || state.startsWith(QLatin1String("28")) || state == QLatin1String("3D000"))
        return Kind::Unreachable;
    return Kind::Other;
}

QString DatabaseFailure::describe(const QSqlError &error, const ConnectionString &where)
{
    const QString name = where.isSqlite() ? where.databaseName : where.describe();
    switch (classify(error)) {
    case Kind::MissingTable: {
        const QString table = missingTableName(error.databaseText() + QLatin1Char(' ') + error.driverText());
        return QStringLiteral("O banco de dados %1 não tem as tabelas esperadas%2. Confira se a opção --database "
                              "(ou a chave database do arquivo de configuração) aponta para o banco da empresa.")
            .arg(name, table.isEmpty() ? QString() : QStringLiteral(" (falta %1)").arg(table));
    }
    case Kind::ReadOnly:
        return QStringLiteral("O banco de dados %1 está somente para leitura. Peça ao suporte permissão de escrita "
                              "no arquivo e na pasta dele.")
            .arg(name);
    case Kind::NotADatabase:
        return QStringLiteral("O arquivo %1 não é um banco de dados. Confira a opção --database (ou a chave database "
                              "do arquivo de configuração).")
            .arg(name);
    case Kind::Busy:
        return QStringLiteral("O banco de dados %1 está ocupado por outro programa. Tente novamente em instantes.")
            .arg(name);
    case Kind::CannotOpen:
        return QStringLiteral("Não foi possível abrir o arquivo do banco de dados %1. Confira se o arquivo e a pasta "
                              "existem e se este usuário pode lê-los e gravá-los.")
            .arg(name);
    case Kind::Unreachable:
        return QStringLiteral("Não foi possível conectar ao banco de dados %1. Confira se o servidor de banco está "
                              "no ar e se o endereço, o usuário e a senha estão certos.")
            .arg(name);
    case Kind::Other:
        break;
    }
    return QStringLiteral("Falha ao consultar o banco de dados %1. Tente novamente; se persistir, informe o suporte.")
        .arg(name);
}

void DatabaseFailure::raise(const QSqlError &error, const ConnectionString &where)
{
    qWarning("database %s: %s", qPrintable(where.describe()), qPrintable(error.text()));
    throw DatabaseError(describe(error, where).toStdString());
}

}  // namespace database

#include "sqlitebaseline.h"

#include <connectionprovider.h>

#include <QDate>

#include <sqlite3.h>

#include <stdexcept>

namespace {

[[noreturn]] void fail(sqlite3 *db, const char *what)
{
    throw std::runtime_error(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "sem conexão"));
}

}  // namespace

SqliteBaseline::SqliteBaseline(const QString &file)
{
    if (sqlite3_open_v2(file.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        fail(m_db, "SQLite");
    // The same mapping of the file the server's connections use.
    const QByteArray mapping =
        "PRAGMA mmap_size=" + QByteArray::number(commission::ConnectionProvider::sqliteMappedBytes);
    sqlite3_exec(m_db, mapping.constData(), nullptr, nullptr, nullptr);
}

SqliteBaseline::~SqliteBaseline()
{
    for (sqlite3_stmt *statement : m_statements)
        sqlite3_finalize(statement);
    sqlite3_close(m_db);
}

int SqliteBaseline::prepare(const QString &sql)
{
    sqlite3_stmt *statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v3(m_db, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &statement, nullptr)
        != SQLITE_OK)
        fail(m_db, "preparar");
    m_statements.push_back(statement);
    return int(m_statements.size()) - 1;
}

qint64 SqliteBaseline::run(int index, const QVariantList &values)
{
    sqlite3_stmt *statement = m_statements.at(size_t(index));
    for (int i = 0; i < values.size(); ++i) {
        const QVariant &value = values[i];
        if (value.isNull()) {
            sqlite3_bind_null(statement, i + 1);
        } else if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Int
                   || value.typeId() == QMetaType::LongLong) {
            sqlite3_bind_double(statement, i + 1, value.toDouble());
        } else {
            const QByteArray text = value.typeId() == QMetaType::QDate ? value.toDate().toString(Qt::ISODate).toUtf8()
                                                                       : value.toString().toUtf8();
            sqlite3_bind_text(statement, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
    }
    qint64 rows = 0;
    const int columns = sqlite3_column_count(statement);
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < columns; ++c) {
            // Read as the server does: numbers as numbers, the rest as text.
            if (sqlite3_column_type(statement, c) == SQLITE_TEXT)
                sqlite3_column_text(statement, c);
            else
                sqlite3_column_double(statement, c);
        }
    }
    sqlite3_reset(statement);
    if (step != SQLITE_DONE)
        fail(m_db, "executar");
    return rows;
}

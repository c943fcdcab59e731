#include "sqlitebackup.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <unistd.h>

namespace commission {

namespace {

struct CloseDatabase {
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;

QString messageOf(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// The first line PRAGMA quick_check answers: "ok" for a sound database.
QString quickCheck(sqlite3 *db)
{
    QString first;
    const auto keepFirst = [](void *data, int columns, char **values, char **) {
        auto *result = static_cast<QString *>(data);
        if (result->isEmpty() && columns > 0 && values[0])
            *result = QString::fromUtf8(values[0]);
        return 0;
    };
    if (sqlite3_exec(db, "PRAGMA quick_check", keepFirst, &first, nullptr) != SQLITE_OK)
        return messageOf(db);
    return first;
}

}  // namespace

SqliteBackup::Result SqliteBackup::copy(const QString &source, const QString &target)
{
    Result result;
    const auto refuse = [&result](const QString &problem) {
        result.problem = problem;
        return result;
    };
    if (QFileInfo::exists(target))
        return refuse(QStringLiteral("O arquivo %1 já existe; a cópia não substitui um arquivo.").arg(target));
    const QFileInfo targetInfo(target);
    if (!targetInfo.dir().exists())
        return refuse(QStringLiteral("A pasta %1 não existe.").arg(targetInfo.dir().path()));
    QTemporaryFile partial(targetInfo.dir().filePath(targetInfo.fileName() + QStringLiteral(".XXXXXX.parcial")));
    if (!partial.open())
        return refuse(
            QStringLiteral("Não foi possível criar %1: %2").arg(partial.fileTemplate(), partial.errorString()));
    partial.close();

    sqlite3 *opened = nullptr;
    // Without SQLITE_OPEN_CREATE: a mistyped source is refused, not created.
    const int openedSource = sqlite3_open_v2(source.toUtf8().constData(), &opened, SQLITE_OPEN_READWRITE, nullptr);
    const Database from(opened);
    if (openedSource != SQLITE_OK)
        return refuse(QStringLiteral("Não foi possível abrir o banco %1: %2").arg(source, messageOf(opened)));
    sqlite3_busy_timeout(from.get(), 5000);
    opened = nullptr;
    const int openedTarget = sqlite3_open_v2(partial.fileName().toUtf8().constData(), &opened,
                                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Database to(opened);
    if (openedTarget != SQLITE_OK)
        return refuse(QStringLiteral("Não foi possível criar %1: %2").arg(partial.fileName(), messageOf(opened)));

    sqlite3_backup *backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
    if (!backup)
        return refuse(QStringLiteral("Não foi possível começar a cópia: %1").arg(messageOf(to.get())));
    int restarts = 0;
    int lastRemaining = -1;
    int step = SQLITE_OK;
    for (;;) {
        step = sqlite3_backup_step(backup, restarts >= restartsBeforeOneStep ? -1 : pagesPerStep);
        if (step == SQLITE_DONE || (step != SQLITE_OK && step != SQLITE_BUSY && step != SQLITE_LOCKED))
            break;
        // More left than after the step before: a writer changed the
        // database and the copy started over.
        const int remaining = sqlite3_backup_remaining(backup);
        if (lastRemaining >= 0 && remaining > lastRemaining)
            ++restarts;
        lastRemaining = remaining;
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMilliseconds));
    }
    result.pages = sqlite3_backup_pagecount(backup);
    const int finished = sqlite3_backup_finish(backup);
    if (step != SQLITE_DONE || finished != SQLITE_OK)
        return refuse(QStringLiteral("A cópia de %1 falhou: %2").arg(source, messageOf(to.get())));
    const QString check = quickCheck(to.get());
    if (check != QLatin1String("ok"))
        return refuse(QStringLiteral("A cópia de %1 não passou na verificação: %2").arg(source, check));
    if (sqlite3_close_v2(to.release()) != SQLITE_OK)
        return refuse(QStringLiteral("Não foi possível fechar a cópia %1.").arg(partial.fileName()));

    // A new link under the target's name, refused when a file of that name
    // appeared meanwhile; the temporary name goes with `partial`.
    if (::link(partial.fileName().toLocal8Bit().constData(), target.toLocal8Bit().constData()) != 0)
        return refuse(errno == EEXIST
                          ? QStringLiteral("O arquivo %1 já existe; a cópia não substitui um arquivo.").arg(target)
                          : QStringLiteral("Não foi possível gravar %1: %2")
                                .arg(target, QString::fromLocal8Bit(strerror(errno))));
    return result;
}

}  // namespace commission

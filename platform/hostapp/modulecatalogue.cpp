#include "modulecatalogue.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

QString ModuleCatalogue::defaultFile()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("modules.ini"));
}

QList<ModuleCatalogue::Entry> ModuleCatalogue::read(const QString &file)
{
    QFile source(file);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QDir folder = QFileInfo(file).absoluteDir();
    QList<Entry> entries;
    for (const QString &raw : QString::fromUtf8(source.readAll()).split(QLatin1Char('\n'))) {
        const QString line = raw.section(QLatin1Char('#'), 0, 0).trimmed();
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString path = line.left(equals).trimmed();
        const QString title = line.mid(equals + 1).trimmed();
        if (path.isEmpty() || title.isEmpty())
            continue;
        entries.append({QDir::isAbsolutePath(path) ? path : folder.filePath(path), title});
    }
    return entries;
}

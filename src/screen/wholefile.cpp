#include "wholefile.h"

#include <QFileInfo>
#include <QSaveFile>

QString WholeFile::write(const QString &path, const std::function<bool(QIODevice &)> &fill)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && fill(file) && file.commit())
        return QString();
    const QString reason = file.errorString().isEmpty() ? QStringLiteral("erro ao escrever") : file.errorString();
    file.cancelWriting();
    return QStringLiteral("Não foi possível gravar o arquivo %1: %2.").arg(QFileInfo(path).absoluteFilePath(), reason);
}

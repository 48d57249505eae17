#include "KXFileIOManager.h"

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>

#include <unistd.h>

namespace {
QString UserName()
{
    const QString user = qEnvironmentVariable("USER");
    if (!user.isEmpty())
        return user;
    return QString::number(getuid());
}
} // namespace

QString KXFileIOManager::GetTemporaryPath()
{
    static QMutex lock;
    QMutexLocker locker(&lock);
    const QString base = QDir::tempPath();
    const QString path = base + QStringLiteral("/vornhistory-") + UserName();
    QDir dir(path);
    if (!dir.exists()) {
        if (!QDir().mkpath(path))
            return base;
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    const QFileInfo info(path);
    if (!info.isDir() || !info.isWritable())
        return base;
    return path;
}

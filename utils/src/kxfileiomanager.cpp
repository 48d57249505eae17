#include "KXFileIOManager.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QLatin1String kProcessPrefix("proc-");

// mkdtemp on the pattern (ending in XXXXXX): a new directory, mode 0700.
QString MakeUniqueDirectory(const QString& pattern)
{
    QByteArray bytes = QFile::encodeName(pattern);
    if (!mkdtemp(bytes.data()))
        return QString();
    return QFile::decodeName(bytes);
}

// A process folder is named "proc-<pid>-XXXXXX"; it is stale when that
// process no longer runs.
bool IsStaleProcessFolder(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^proc-(\\d+)-"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return false;
    bool ok = false;
    const qint64 pid = match.captured(1).toLongLong(&ok);
    if (!ok || pid <= 0 || pid == qint64(getpid()))
        return false;
    return kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

void RemoveStaleProcessFolders(const QString& userFolder)
{
    const QDir dir(userFolder);
    const QStringList names = dir.entryList(QStringList{kProcessPrefix + QLatin1Char('*')},
        QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : names) {
        if (IsStaleProcessFolder(name))
            QDir(dir.filePath(name)).removeRecursively();
    }
}

// The user's per-user folder under base, made when absent; empty when it is
// not (or cannot be made) a private directory of the user's.
QString UserFolder(const QString& base)
{
    const QString path = QDir(base).filePath(QStringLiteral("vornhistory-%1").arg(getuid()));
    if (mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST)
        return QString();
    return KXFileIOManager::IsPrivateDirectory(path) ? path : QString();
}

// The chosen folder, removed at exit when nothing was left in it.
struct ProcessFolder
{
    QString path;
    ~ProcessFolder()
    {
        if (!path.isEmpty())
            QDir().rmdir(path);
    }
};

} // namespace

bool KXFileIOManager::IsPrivateDirectory(const QString& path)
{
    struct stat info;
    if (lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

QString KXFileIOManager::PrivateFolder(const QString& base)
{
    if (base.isEmpty() || !QFileInfo(base).isDir())
        return QString();
    const QString processName = kProcessPrefix + QString::number(getpid()) + QStringLiteral("-XXXXXX");
    QString parent = UserFolder(base);
    if (parent.isEmpty()) {
        // Someone else's, a link, or open to others: never used; a fresh
        // private folder of our own takes its place.
        parent = MakeUniqueDirectory(QDir(base).filePath(QStringLiteral("vornhistory-XXXXXX")));
        if (parent.isEmpty())
            return QString();
    } else {
        RemoveStaleProcessFolders(parent);
    }
    return MakeUniqueDirectory(QDir(parent).filePath(processName));
}

QString KXFileIOManager::GetTemporaryPath()
{
    static QMutex lock;
    static ProcessFolder folder;
    QMutexLocker locker(&lock);
    if (!folder.path.isEmpty() && IsPrivateDirectory(folder.path))
        return folder.path;
    QStringList bases;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && IsPrivateDirectory(runtime))
        bases << runtime;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.isEmpty() && (QDir().mkpath(cache) || QFileInfo(cache).isDir()))
        bases << cache;
    bases << QDir::tempPath();
    for (const QString& base : qAsConst(bases)) {
        const QString path = PrivateFolder(base);
        if (!path.isEmpty()) {
            folder.path = path;
            return path;
        }
    }
    return QString();
}

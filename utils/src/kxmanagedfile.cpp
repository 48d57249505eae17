#include "KXManagedFile.h"

#include "KXFileFaults.h"

KXManagedFile::KXManagedFile(int priority, QObject* parent)
    : QFile(parent)
    , m_priority(priority)
{
}

KXManagedFile::KXManagedFile(const QString& name, int priority, QObject* parent)
    : QFile(name, parent)
    , m_priority(priority)
{
}

KXManagedFile::~KXManagedFile() = default;

bool KXManagedFile::seek(qint64 position)
{
    if (!isOpen() || position < 0)
        return false;
    return QFile::seek(position);
}

bool KXManagedFile::open(OpenMode mode)
{
    const KXFileFaults* faults = KXFileFaults::Installed();
    if (faults && faults->RefusesOpen(fileName(), mode))
        return false;
    const bool creates = (mode & (WriteOnly | Append)) && !exists();
    if (!QFile::open(mode))
        return false;
    // The folder is private already; the file is made so as well.
    if (creates)
        setPermissions(ReadOwner | WriteOwner);
    return true;
}

bool KXManagedFile::remove()
{
    const KXFileFaults* faults = KXFileFaults::Installed();
    if (faults && faults->RefusesRemove(fileName()))
        return false;
    return QFile::remove();
}

qint64 KXManagedFile::writeData(const char* data, qint64 length)
{
    const KXFileFaults* faults = KXFileFaults::Installed();
    const qint64 limit = faults ? faults->WriteLimit(fileName()) : -1;
    if (limit >= 0 && pos() + length > limit)
        return -1; // the disk is full
    return QFile::writeData(data, length);
}

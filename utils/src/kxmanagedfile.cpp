#include "KXManagedFile.h"

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
    const bool creates = (mode & (WriteOnly | Append)) && !exists();
    if (!QFile::open(mode))
        return false;
    // The folder is private already; the file is made so as well.
    if (creates)
        setPermissions(ReadOwner | WriteOwner);
    return true;
}

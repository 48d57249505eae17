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

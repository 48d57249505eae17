#pragma once

#include <QFile>

#include "vornutils_export.h"

// A file with a scheduling priority. The priority orders files when the
// editor's I/O manager has to choose whose buffers to flush first; seek()
// refuses negative positions and positions on a closed file. A file that
// open() creates is readable and writable by its owner only (0600). Faults
// installed with KXFileFaults apply to open(), writes and remove().
// Owned by its Qt parent, if any; it owns its file handle. Like QFile, use it
// on one thread at a time. Adds no signals to QFile's.
class VORNUTILS_EXPORT KXManagedFile : public QFile
{
    Q_OBJECT
public:
    explicit KXManagedFile(int priority, QObject* parent = nullptr);
    KXManagedFile(const QString& name, int priority, QObject* parent = nullptr);
    ~KXManagedFile() override;

    int GetPriority() const { return m_priority; }
    void SetPriority(int priority) { m_priority = priority; }

    bool open(OpenMode mode) override;
    bool seek(qint64 position) override;
    // QFile::remove(), unless an installed fault refuses it.
    bool remove();

protected:
    qint64 writeData(const char* data, qint64 length) override;

private:
    int m_priority;
};

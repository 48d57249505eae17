#pragma once

#include <QFile>

#include "vornutils_export.h"

// A file with a scheduling priority. The priority orders files when the
// editor's I/O manager has to choose whose buffers to flush first; seek()
// refuses negative positions and positions on a closed file.
class VORNUTILS_EXPORT KXManagedFile : public QFile
{
    Q_OBJECT
public:
    explicit KXManagedFile(int priority, QObject* parent = nullptr);
    KXManagedFile(const QString& name, int priority, QObject* parent = nullptr);
    ~KXManagedFile() override;

    int GetPriority() const { return m_priority; }
    void SetPriority(int priority) { m_priority = priority; }

    bool seek(qint64 position) override;

private:
    int m_priority;
};

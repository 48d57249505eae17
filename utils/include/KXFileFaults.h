#pragma once

#include <QIODevice>
#include <QString>

#include "vornutils_export.h"

// Faults that every KXManagedFile of the process suffers while an object of
// this class is installed: a refused open, a disk that fills after a number
// of bytes, a file that cannot be removed. Tests and fault drills use it to
// show how callers survive a lost or full disk. The default answers inject
// nothing; a subclass overrides what it needs.
//
// Installed faults are not owned and must outlive their installation. The
// answers are asked on whichever thread uses a file, so they must be safe to
// call from any thread.
class VORNUTILS_EXPORT KXFileFaults
{
public:
    virtual ~KXFileFaults();

    // True makes open(mode) of path fail.
    virtual bool RefusesOpen(const QString& path, QIODevice::OpenMode mode) const;
    // How many bytes path can hold; a write beyond that fails as on a full
    // disk. Negative: no limit.
    virtual qint64 WriteLimit(const QString& path) const;
    // True makes remove() of path fail and leaves the file where it is.
    virtual bool RefusesRemove(const QString& path) const;

    // Installs faults for every managed file; null removes them.
    static void Install(const KXFileFaults* faults);
    static const KXFileFaults* Installed();
};

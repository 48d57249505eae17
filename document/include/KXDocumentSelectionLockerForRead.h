#pragma once

#include "KXDocumentLock.h"
#include "vorndocument_export.h"

class KXDocumentInterface;

// Holds the document's selection lock for reading from construction until
// Unlock() or destruction; Relock() takes it again. A null document locks nothing.
class VORNDOCUMENT_EXPORT KXDocumentSelectionLockerForRead
{
public:
    explicit KXDocumentSelectionLockerForRead(const KXDocumentInterface* document);
    ~KXDocumentSelectionLockerForRead();
    KXDocumentSelectionLockerForRead(const KXDocumentSelectionLockerForRead&) = delete;
    KXDocumentSelectionLockerForRead& operator=(const KXDocumentSelectionLockerForRead&) = delete;

    void Unlock();
    void Relock();
    bool IsLocked() const { return m_locked; }

private:
    KXDocumentLock* m_lock;
    bool m_locked = false;
};

#pragma once

#include "KXDocumentLock.h"
#include "vorndocument_export.h"

class KXDocumentInterface;

// Holds the document's selection lock for reading from construction until
// Unlock() or destruction; Relock() takes it again. A null document locks nothing.
// Points at the document's selection lock without owning it: the document
// must outlive the locker. Any thread may build one; unlock, relock and
// destroy it on that same thread.
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

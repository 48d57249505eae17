#pragma once

#include <QSharedPointer>

#include "KXDocumentLock.h"
#include "vorndocument_export.h"

class KXDocumentInterface;

// Holds one layer's lock for writing from construction until Unlock() or
// destruction; Relock() takes it again. A null document or an id out of
// range locks nothing (IsLocked() is false). The lock is the layer's own, so
// it follows the layer when ids shift, and stays valid if the layer is removed.
// Shares ownership of the layer's lock (not of the document or the layer).
// Any thread may build one; unlock, relock and destroy it on that same thread.
class VORNDOCUMENT_EXPORT KXDocumentLayerLockerForWrite
{
public:
    KXDocumentLayerLockerForWrite(KXDocumentInterface* document, unsigned int id);
    ~KXDocumentLayerLockerForWrite();
    KXDocumentLayerLockerForWrite(const KXDocumentLayerLockerForWrite&) = delete;
    KXDocumentLayerLockerForWrite& operator=(const KXDocumentLayerLockerForWrite&) = delete;

    void Unlock();
    void Relock();
    bool IsLocked() const { return m_locked; }

private:
    QSharedPointer<KXDocumentLock> m_lock;
    bool m_locked = false;
};

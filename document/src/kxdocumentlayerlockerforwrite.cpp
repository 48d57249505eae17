#include "KXDocumentLayerLockerForWrite.h"

#include "KXDocumentInterface.h"

KXDocumentLayerLockerForWrite::KXDocumentLayerLockerForWrite(KXDocumentInterface* document, unsigned int id)
    : m_lock(document ? document->GetLayerLock(id) : QSharedPointer<KXDocumentLock>())
{
    Relock();
}

KXDocumentLayerLockerForWrite::~KXDocumentLayerLockerForWrite()
{
    Unlock();
}

void KXDocumentLayerLockerForWrite::Unlock()
{
    if (!m_locked)
        return;
    m_lock->UnlockWrite();
    m_locked = false;
}

void KXDocumentLayerLockerForWrite::Relock()
{
    if (m_locked || !m_lock)
        return;
    m_lock->LockForWrite();
    m_locked = true;
}

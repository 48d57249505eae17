#include "KXDocumentLayerLockerForRead.h"

#include "KXDocumentInterface.h"

KXDocumentLayerLockerForRead::KXDocumentLayerLockerForRead(const KXDocumentInterface* document, unsigned int id)
    : m_lock(document ? document->GetLayerLock(id) : QSharedPointer<KXDocumentLock>())
{
    Relock();
}

KXDocumentLayerLockerForRead::~KXDocumentLayerLockerForRead()
{
    Unlock();
}

void KXDocumentLayerLockerForRead::Unlock()
{
    if (!m_locked)
        return;
    m_lock->UnlockRead();
    m_locked = false;
}

void KXDocumentLayerLockerForRead::Relock()
{
    if (m_locked || !m_lock)
        return;
    m_lock->LockForRead();
    m_locked = true;
}

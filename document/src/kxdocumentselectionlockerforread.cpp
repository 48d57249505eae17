#include "KXDocumentSelectionLockerForRead.h"

#include "KXDocumentInterface.h"

KXDocumentSelectionLockerForRead::KXDocumentSelectionLockerForRead(const KXDocumentInterface* document)
    : m_lock(document ? document->GetSelectionLock() : nullptr)
{
    Relock();
}

KXDocumentSelectionLockerForRead::~KXDocumentSelectionLockerForRead()
{
    Unlock();
}

void KXDocumentSelectionLockerForRead::Unlock()
{
    if (!m_locked)
        return;
    m_lock->UnlockRead();
    m_locked = false;
}

void KXDocumentSelectionLockerForRead::Relock()
{
    if (m_locked || !m_lock)
        return;
    m_lock->LockForRead();
    m_locked = true;
}

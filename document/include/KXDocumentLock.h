#pragma once

#include <QHash>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include "vorndocument_export.h"

// The read-write lock of one layer (and of the selection). Like a recursive
// QReadWriteLock, many threads may read at once and a thread may take the
// read lock again while it holds it; a writer waits until no other thread
// reads or writes, and new readers of other threads wait while a writer is
// waiting. Unlike QReadWriteLock it also lets the thread that holds the
// write lock take the read lock, and lets the only reading thread take the
// write lock; so an operation that locks internally can be called from a
// section the caller has locked already. Two threads that both read and both
// ask for the write lock wait for each other forever; avoid that.
//
// Every LockForRead is paired with one UnlockRead, every LockForWrite with
// one UnlockWrite, on the same thread; the lockers do this.
//
// Owned by what it guards: each layer holds its lock in a shared pointer that
// the layer lockers share too; the selection's lock belongs to the document.
class VORNDOCUMENT_EXPORT KXDocumentLock
{
public:
    KXDocumentLock() = default;
    KXDocumentLock(const KXDocumentLock&) = delete;
    KXDocumentLock& operator=(const KXDocumentLock&) = delete;

    void LockForRead();
    void LockForWrite();
    void UnlockRead();
    void UnlockWrite();

    // True when the calling thread holds the lock for writing (reading).
    bool IsWrittenByCurrentThread() const;
    bool IsReadByCurrentThread() const;

private:
    bool OtherThreadReads(Qt::HANDLE self) const;

    mutable QMutex m_mutex;
    QWaitCondition m_changed;
    Qt::HANDLE m_writer = nullptr;
    int m_writeDepth = 0;
    int m_waitingWriters = 0;
    QHash<Qt::HANDLE, int> m_readers; // read depth per thread
};

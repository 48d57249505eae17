#include "KXDocumentLock.h"

#include <QMutexLocker>

void KXDocumentLock::LockForRead()
{
    const Qt::HANDLE self = QThread::currentThreadId();
    QMutexLocker locker(&m_mutex);
    auto own = m_readers.find(self);
    if (own != m_readers.end()) {
        ++own.value();
        return;
    }
    if (m_writer != self) {
        while (m_writer || m_waitingWriters > 0)
            m_changed.wait(&m_mutex);
    }
    m_readers.insert(self, 1);
}

void KXDocumentLock::LockForWrite()
{
    const Qt::HANDLE self = QThread::currentThreadId();
    QMutexLocker locker(&m_mutex);
    if (m_writer == self) {
        ++m_writeDepth;
        return;
    }
    ++m_waitingWriters;
    while (m_writer || OtherThreadReads(self))
        m_changed.wait(&m_mutex);
    --m_waitingWriters;
    m_writer = self;
    m_writeDepth = 1;
}

void KXDocumentLock::UnlockRead()
{
    const Qt::HANDLE self = QThread::currentThreadId();
    QMutexLocker locker(&m_mutex);
    auto own = m_readers.find(self);
    if (own == m_readers.end())
        return;
    if (--own.value() == 0) {
        m_readers.erase(own);
        m_changed.wakeAll();
    }
}

void KXDocumentLock::UnlockWrite()
{
    QMutexLocker locker(&m_mutex);
    if (m_writer != QThread::currentThreadId())
        return;
    if (--m_writeDepth == 0) {
        m_writer = nullptr;
        m_changed.wakeAll();
    }
}

bool KXDocumentLock::IsWrittenByCurrentThread() const
{
    QMutexLocker locker(&m_mutex);
    return m_writer == QThread::currentThreadId();
}

bool KXDocumentLock::IsReadByCurrentThread() const
{
    QMutexLocker locker(&m_mutex);
    return m_readers.contains(QThread::currentThreadId());
}

bool KXDocumentLock::OtherThreadReads(Qt::HANDLE self) const
{
    return m_readers.size() > (m_readers.contains(self) ? 1 : 0);
}

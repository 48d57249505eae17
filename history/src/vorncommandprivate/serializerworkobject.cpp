#include "serializerworkobject.h"

#include <QCoreApplication>
#include <QThread>
#include <QtConcurrent>

#include "KXFileIOManager.h"
#include "vorncommanddata.h"

VornCommandDataSerializer::WorkObject::WorkObject(QObject* parent)
    : QObject(parent)
    , m_temporaryFolder(KXFileIOManager::GetTemporaryPath())
    , m_watcher(new QFutureWatcher<void>)
{
    connect(m_watcher, &QFutureWatcher<void>::finished, this, &WorkObject::OnSerializeFinish);
}

VornCommandDataSerializer::WorkObject::~WorkObject()
{
    {
        QWriteLocker queueLocker(&m_queueLock);
        m_queue.clear();
    }
    {
        // Every entry is about to be deleted: a write in progress need not finish.
        QReadLocker tableLocker(&m_tableLock);
        for (SerializeData* entry : qAsConst(m_table))
            entry->RequestCancel();
    }
    m_watcher->waitForFinished();
    delete m_watcher;
    QWriteLocker tableLocker(&m_tableLock);
    qDeleteAll(m_table);
    m_table.clear();
}

bool VornCommandDataSerializer::WorkObject::SetTemporaryFolder(const QDir& folder)
{
    QWriteLocker tableLocker(&m_tableLock);
    if (!m_table.isEmpty())
        return false;
    m_temporaryFolder = folder;
    return true;
}

QDir VornCommandDataSerializer::WorkObject::GetTemporaryFolder() const
{
    QReadLocker tableLocker(&m_tableLock);
    return m_temporaryFolder;
}

unsigned int VornCommandDataSerializer::WorkObject::AddData(VornCommandData* data)
{
    if (!data)
        return sBAD_INDEX;
    QWriteLocker tableLocker(&m_tableLock);
    if (m_nextIndex == sBAD_INDEX) // indexes are never reused
        return sBAD_INDEX;
    const unsigned int index = m_nextIndex++;
    m_table.insert(index, new SerializeData(data, m_temporaryFolder, &m_cancelledWrites));
    return index;
}

VornCommandData* VornCommandDataSerializer::WorkObject::GetData(unsigned int index)
{
    QReadLocker tableLocker(&m_tableLock);
    SerializeData* entry = m_table.value(index);
    if (!entry)
        return nullptr;
    {
        QWriteLocker queueLocker(&m_queueLock);
        m_queue.removeAll(index);
    }
    entry->Deserialize(); // waits while the worker writes this entry
    return entry->GetData();
}

void VornCommandDataSerializer::WorkObject::Serialize(unsigned int index)
{
    {
        QWriteLocker queueLocker(&m_queueLock);
        if (!m_queue.contains(index))
            m_queue.append(index);
        if (m_running)
            return;
    }
    OnSerializeFinish();
}

void VornCommandDataSerializer::WorkObject::RemoveData(unsigned int index)
{
    SerializeData* entry = nullptr;
    {
        QWriteLocker tableLocker(&m_tableLock);
        entry = m_table.take(index);
        if (!entry)
            return;
        QWriteLocker queueLocker(&m_queueLock);
        m_queue.removeAll(index);
    }
    delete entry; // waits for a write in flight, deletes the data and its file
}

int VornCommandDataSerializer::WorkObject::GetCancelledWrites() const
{
    return m_cancelledWrites.load();
}

int VornCommandDataSerializer::WorkObject::GetDataCount() const
{
    QReadLocker tableLocker(&m_tableLock);
    return m_table.size();
}

VornCommandDataSerializer::DataBytes VornCommandDataSerializer::WorkObject::GetDataBytes(unsigned int index) const
{
    QReadLocker tableLocker(&m_tableLock);
    const SerializeData* entry = m_table.value(index);
    return entry ? entry->GetBytes() : DataBytes();
}

VornCommandDataSerializer::UnwrittenData VornCommandDataSerializer::WorkObject::GetUnwrittenData() const
{
    QReadLocker tableLocker(&m_tableLock);
    UnwrittenData unwritten;
    for (const SerializeData* entry : m_table) {
        const DataBytes bytes = entry->GetBytes();
        if (bytes.unwritten) {
            ++unwritten.entries;
            unwritten.bytes += bytes.inMemory;
        }
    }
    return unwritten;
}

void VornCommandDataSerializer::WorkObject::OnSerializeFinish()
{
    {
        QWriteLocker queueLocker(&m_queueLock);
        if (m_queue.isEmpty() || m_running) {
            m_running = false;
            return;
        }
        m_running = true;
    }
    m_watcher->setFuture(QtConcurrent::run(this, &WorkObject::ProcessSerialize));
}

void VornCommandDataSerializer::WorkObject::ProcessSerialize()
{
    forever {
        unsigned int index = 0;
        {
            QReadLocker queueLocker(&m_queueLock);
            if (m_queue.isEmpty())
                return;
            index = m_queue.first();
        }
        QReadLocker tableLocker(&m_tableLock);
        SerializeData* entry = m_table.value(index);
        if (!entry) {
            QWriteLocker queueLocker(&m_queueLock);
            m_queue.removeAll(index);
            continue;
        }
        entry->Serialize(tableLocker, [this, index] { return TakeQueued(index); });
    }
}

bool VornCommandDataSerializer::WorkObject::TakeQueued(unsigned int index)
{
    QWriteLocker queueLocker(&m_queueLock);
    return m_queue.removeAll(index) > 0;
}

void VornCommandDataSerializer::WorkObject::WaitForIdle()
{
    forever {
        m_watcher->waitForFinished();
        // Deliver the watcher's finish now rather than from the event loop.
        QCoreApplication::sendPostedEvents(m_watcher);
        bool running = false;
        bool queued = false;
        {
            QReadLocker queueLocker(&m_queueLock);
            running = m_running;
            queued = !m_queue.isEmpty();
        }
        if (running) {
            QThread::yieldCurrentThread(); // the finish is about to be posted
            continue;
        }
        if (!queued)
            return;
        OnSerializeFinish();
    }
}

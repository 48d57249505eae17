#include "serializerworkobject.h"

#include <QCoreApplication>
#include <QThread>
#include <QtConcurrent>

#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "KXFileIOManager.h"
#include "ZTTileManager64.h"
#include "tilecodec_p.h"
#include "vorncommanddata.h"

VornCommandDataSerializer::WorkObject::WorkObject(QObject* parent)
    : QObject(parent)
    , m_temporaryFolder(KXFileIOManager::GetTemporaryPath())
    , m_watcher(new QFutureWatcher<void>)
{
    connect(m_watcher, &QFutureWatcher<void>::finished, this, &WorkObject::OnSerializeFinish);
    m_swapPool.setMaxThreadCount(1);
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
    m_closing = true;
    m_watcher->waitForFinished();
    m_swapPool.waitForDone();
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
    bool running = false;
    {
        QWriteLocker queueLocker(&m_queueLock);
        if (!m_queue.contains(index))
            m_queue.append(index);
        running = m_running;
    }
    if (running)
        RequestSwap(); // entries wait behind the one being written
    else
        OnSerializeFinish();
}

void VornCommandDataSerializer::WorkObject::SetMemoryBudget(qint64 bytes)
{
    m_memoryBudget = bytes;
}

qint64 VornCommandDataSerializer::WorkObject::GetMemoryBudget() const
{
    return m_memoryBudget;
}

void VornCommandDataSerializer::WorkObject::RequestSwap()
{
    if (m_memoryBudget.load() <= 0)
        return;
    m_swapRequested = true;
    if (!m_swapRunning.exchange(true))
        m_swapPool.start([this] {
            TileCodec::LowerThreadPriority();
            ProcessSwaps();
        });
}

void VornCommandDataSerializer::WorkObject::ProcessSwaps()
{
    do {
        while (m_swapRequested.exchange(false))
            SwapWaitingData();
        m_swapRunning = false;
        // A request that came after the last look, and found the task still running.
    } while (m_swapRequested.load() && !m_swapRunning.exchange(true));
}

// Walks the queue in the worker's order: the entries it reaches first keep
// their tiles while the budget lasts, the rest are swapped out. The newest
// entry is left alone, since its images are most likely the document's own.
void VornCommandDataSerializer::WorkObject::SwapWaitingData()
{
    std::vector<unsigned int> waiting;
    {
        QReadLocker queueLocker(&m_queueLock);
        waiting.assign(m_queue.cbegin(), m_queue.cend()); // no list shared across threads
    }
    if (waiting.size() < 2)
        return;
    waiting.pop_back();
    const QString folder = GetTemporaryFolder().path();
    if (!m_swapFile || !m_swapFile->IsOpen() || m_swapFolder != folder) {
        m_swapFile = std::make_shared<ZTTileSwapFile>(folder);
        m_swapFolder = folder;
    }
    ZTTileManager64* manager = ZTTileManager64::Instance();
    qint64 budget = m_memoryBudget.load();
    for (unsigned int index : waiting) {
        std::vector<KXImage32::TilePointer> references;
        {
            QReadLocker tableLocker(&m_tableLock);
            if (SerializeData* entry = m_table.value(index))
                references = entry->GetWaitingTiles(tableLocker, [this, index] { return IsQueued(index); });
        }
        std::vector<void*> tiles;
        for (const KXImage32::TilePointer& reference : references) {
            void* tile = reference.constData() ? reference.constData()->Handle() : nullptr;
            if (tile && !manager->IsSwappedOut(tile) && !manager->IsDeferred(tile))
                tiles.push_back(tile);
        }
        std::sort(tiles.begin(), tiles.end());
        tiles.erase(std::unique(tiles.begin(), tiles.end()), tiles.end());
        const qint64 bytes = qint64(tiles.size()) * ZTTileManager64::TileBytes;
        if (bytes <= budget) {
            budget -= bytes;
            continue;
        }
        budget = 0;
        for (void* tile : tiles) {
            if (m_closing.load())
                return;
            manager->SwapOut(tile, m_swapFile);
        }
    }
}

bool VornCommandDataSerializer::WorkObject::IsQueued(unsigned int index) const
{
    QReadLocker queueLocker(&m_queueLock);
    return m_queue.contains(index);
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
    m_watcher->setFuture(QtConcurrent::run(TileCodec::BackgroundPool(), [this] {
        TileCodec::LowerThreadPriority();
        ProcessSerialize();
    }));
}

void VornCommandDataSerializer::WorkObject::ProcessSerialize()
{
    forever {
        unsigned int index = 0;
        {
            QReadLocker queueLocker(&m_queueLock);
            if (m_queue.isEmpty())
                break;
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
#ifdef __GLIBC__
    // The payloads and blobs freed on this thread stay resident in its heap
    // arena until trimmed: hand them back while the writer has nothing to do.
    malloc_trim(0);
#endif
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
        if (!queued) {
            m_swapPool.waitForDone();
            return;
        }
        OnSerializeFinish();
    }
}

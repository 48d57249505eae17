#pragma once

#include <QDir>
#include <QFutureWatcher>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QReadWriteLock>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>

#include "KXImage.h"
#include "vorncommanddataserializer.h"

class VornReaderWriter;
class ZTTileSwapFile;

// The serializer's machinery: the table of entries, the queue of indexes to
// write out, and at most one pool task that works through the queue.
//
// Locks: the table lock before the queue lock; the queue lock is only ever
// held briefly and never while waiting for another lock. The entry lock is
// held for the whole input or output of one entry.
//
// An entry is written or released only while its index is in the queue:
// GetData takes the index out of the queue before it waits for the entry, and
// the worker checks, under the entry lock, that the index is still queued
// before it touches the data. So the worker never touches data a command has
// borrowed, nor an entry RemoveData is destroying.
//
// GetData and RemoveData do not wait for a long write of their entry: they
// raise the entry's cancel flag first (no lock needed), the write stops at its
// next tile and discards its partial file, and the data, still whole in
// memory, is written again at the next Serialize.
//
// While entries wait in the queue beyond the memory budget, a swap task (on a
// pool of one thread, at the writer's lower priority) moves the tiles of the entries the worker reaches last
// to the swap file. It looks at an entry as the worker does (entry lock, still
// queued) but only tries the lock, never takes the entry out of the queue, and
// holds the lock only while it takes references to the entry's tiles; it swaps
// them out with no lock held (a tile in use is never swapped, see
// ZTTileManager64).
//
// Owned by the serializer; owns the entries and the future watcher. Its public
// calls come from the serializer's thread, ProcessSerialize runs on a pool
// thread. Emits no signals; OnSerializeFinish runs when the watcher finishes.
class VornCommandDataSerializer::WorkObject : public QObject
{
    Q_OBJECT
public:
    class SerializeData;

    explicit WorkObject(QObject* parent = nullptr);
    ~WorkObject() override;

    bool SetTemporaryFolder(const QDir& folder);
    QDir GetTemporaryFolder() const;
    unsigned int AddData(VornCommandData* data);
    VornCommandData* GetData(unsigned int index);
    void Serialize(unsigned int index);
    void RemoveData(unsigned int index);
    int GetDataCount() const;
    void WaitForIdle();
    DataBytes GetDataBytes(unsigned int index) const;
    int GetCancelledWrites() const;
    UnwrittenData GetUnwrittenData() const;
    void SetMemoryBudget(qint64 bytes);
    qint64 GetMemoryBudget() const;

public slots:
    void OnSerializeFinish();

private:
    void ProcessSerialize();
    // Under the entry lock: takes index out of the queue; false when it was not queued.
    bool TakeQueued(unsigned int index);
    bool IsQueued(unsigned int index) const;
    // Asks the swap task to look at the queue again.
    void RequestSwap();
    void ProcessSwaps();
    void SwapWaitingData();

    mutable QReadWriteLock m_tableLock;
    QMap<unsigned int, SerializeData*> m_table;
    unsigned int m_nextIndex = 0;
    QDir m_temporaryFolder;
    mutable QReadWriteLock m_queueLock;
    QFutureWatcher<void>* m_watcher;
    QList<unsigned int> m_queue;
    bool m_running = false;
    std::atomic<int> m_cancelledWrites {0};
    std::atomic<qint64> m_memoryBudget {DefaultMemoryBudget};
    QThreadPool m_swapPool;
    std::atomic<bool> m_swapRequested {false};
    std::atomic<bool> m_swapRunning {false};
    std::atomic<bool> m_closing {false};
    // Used by the swap task only: the swap file, in the temporary folder it was made in.
    std::shared_ptr<ZTTileSwapFile> m_swapFile;
    QString m_swapFolder;
};

// One entry of the table: a data object and the file it is written to.
// Owned by the work object's table; owns its data object and its file (deleted
// with it). Serialize runs on the worker, the rest on the serializer's thread;
// the entry lock keeps them apart. Emits no signals.
class VornCommandDataSerializer::WorkObject::SerializeData : public QObject
{
public:
    // cancelledWrites counts the writes of this entry that were cancelled.
    SerializeData(VornCommandData* data, const QDir& folder, std::atomic<int>* cancelledWrites = nullptr);
    ~SerializeData() override;

    // On the worker: takes the entry lock, then lets go of the table lock the
    // worker found the entry under (so RemoveData cannot destroy the entry in
    // between), asks takeQueued whether the entry may still be touched, writes
    // the data out (first time only) and releases its payload. False when
    // nothing was released.
    bool Serialize(QReadLocker& tableLocker, const std::function<bool()>& takeQueued);
    // Reads the data back when it was written out; false otherwise. A write
    // of this entry in progress is cancelled rather than waited for.
    bool Deserialize();
    // Asks a write of this entry in progress to stop at its next tile. Any
    // thread, any lock held; the request ends when the entry lock is next
    // taken by Deserialize or the destructor.
    void RequestCancel();

    VornCommandData* GetData() const { return m_data; }
    bool IsWritten() const;
    bool IsReleased() const;
    QString GetFileName() const;
    // Without the entry lock, so a panel never waits for a write in flight.
    DataBytes GetBytes() const;
    // On the swap task: when the entry lock is free, lets go of the table
    // lock and, while isQueued holds and the data is not written yet, returns
    // references to the tiles of its tiled images (which keep them alive once
    // the entry lock is let go again).
    std::vector<KXImage32::TilePointer> GetWaitingTiles(QReadLocker& tableLocker,
                                                        const std::function<bool()>& isQueued);

private:
    bool WriteOut();
    void KeepUnwritten();
    bool OpenAtRecordSize();
    // The file still holds exactly the record written (size and checksum).
    bool IsFileIntact();
    // A fresh reader/writer (the old one deletes its file) watching m_cancel.
    void ResetFile();

    VornCommandData* m_data;
    bool m_written = false;
    mutable QMutex m_lock;
    std::unique_ptr<VornReaderWriter> m_file;
    bool m_released = false;
    QDir m_folder;
    quint32 m_checksum = 0;
    // Copies of the record's size and of released, readable without the lock.
    std::atomic<qint64> m_recordBytes{-1};
    // The payload's size while it waits in memory after a failed write; -1 otherwise.
    std::atomic<qint64> m_unwrittenBytes{-1};
    std::atomic<bool> m_payloadReleased{false};
    std::atomic<bool> m_cancel {false};
    std::atomic<int>* m_cancelledWrites;
};

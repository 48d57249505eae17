#pragma once

#include <QDir>
#include <QObject>

#include "vornhistory_export.h"

class VornCommandData;

// Keeps the data of every command of one undo stack out of memory: each data
// object is written once to its own temporary file on a pool thread, its
// payload released, and read back whole when its command executes again.
// Callers see a key-value store of data objects under 32-bit indexes.
//
// All operations are called from the thread that owns the serializer. GetData
// blocks only while the worker is writing that very entry.
//
// Before every read-back the file is checked against the size and checksum
// of the record written: a file that is gone or changed is reported and never
// applied. A write that fails leaves the data whole in memory, to be written
// again at its next Serialize; GetUnwrittenData tells how much waits so.
//
// Data waiting to be written keeps its images in memory only up to a budget:
// past it, the tiles of the entries the worker reaches last are swapped out to
// one private unnamed file in the temporary folder (on a thread of its own),
// and come back when the worker or an undo needs them. Quick edits of large
// layers then cost disk space, not memory, while the worker catches up.
//
// Owns every data object it holds and its temporary file; owned by its undo
// stack. Emits no signals.
class VORNHISTORY_EXPORT VornCommandDataSerializer : public QObject
{
    Q_OBJECT
public:
    static const unsigned int sBAD_INDEX;

    class WorkObject;

    explicit VornCommandDataSerializer(QObject* parent = nullptr);
    ~VornCommandDataSerializer() override;

    // Takes ownership of data and returns its new index; sBAD_INDEX for null data.
    unsigned int AddData(VornCommandData* data);
    // The data of index, read back from its file when it was written out;
    // null for an index that is not held.
    VornCommandData* GetData(unsigned int index);
    // Hands index back after an execution: it is queued to be written out
    // (first time only) and its payload released.
    void Serialize(unsigned int index);
    // Deletes the data of index and its file.
    void RemoveData(unsigned int index);
    // Accepted only while no data is held.
    void SetTemporaryFolder(const QDir& folder);
    // Bytes of tiles that data waiting to be written may keep in memory
    // (DefaultMemoryBudget unless set); 0 or less never swaps.
    void SetMemoryBudget(qint64 bytes);
    qint64 GetMemoryBudget() const;
    static constexpr qint64 DefaultMemoryBudget = 256LL << 20;

    // Introspection for hosts, tests and benchmarks.
    QDir GetTemporaryFolder() const;
    int GetDataCount() const;
    // Waits until the worker has nothing left to write nor to swap out.
    void WaitForIdle();
    // How many writes GetData or RemoveData have cancelled so far.
    int GetCancelledWrites() const;

    // Where the data of one index lives now, for a history panel's memory column.
    struct DataBytes
    {
        // The payload's size while it is in memory: its record's size once it
        // has been written, -1 before (not known yet); 0 once released.
        qint64 inMemory = 0;
        // The size of its temporary file; 0 until it is first written.
        qint64 onDisk = 0;
        // True while the payload waits in memory because its last write
        // failed (a full disk, a folder that refuses files); inMemory then
        // tells the payload's size in memory. Cleared by a successful write.
        bool unwritten = false;
    };
    // Both 0 for an index that is not held. Never waits for the worker.
    DataBytes GetDataBytes(unsigned int index) const;

    // What waits in memory because its writes failed: how many data objects,
    // and their payloads' size in memory (released payloads not counted).
    // Never waits for the worker.
    struct UnwrittenData
    {
        int entries = 0;
        qint64 bytes = 0;
    };
    UnwrittenData GetUnwrittenData() const;

private:
    WorkObject* m_workObject;
};

#include <QThread>
#include <QTime>

#include <mutex>

#include "KXErrorReport.h"
#include "payloadsizewriter.h"
#include "serializerworkobject.h"
#include "vorncommanddata.h"
#include "vornreaderwriter.h"

VornCommandDataSerializer::WorkObject::SerializeData::SerializeData(VornCommandData* data, const QDir& folder,
                                                                    std::atomic<int>* cancelledWrites)
    : m_data(data)
    , m_folder(folder)
    , m_cancelledWrites(cancelledWrites)
{
    ResetFile();
}

VornCommandDataSerializer::WorkObject::SerializeData::~SerializeData()
{
    RequestCancel();
    {
        QMutexLocker locker(&m_lock);
        delete m_data;
        m_data = nullptr;
    }
    m_file.reset(); // deletes the file
}

bool VornCommandDataSerializer::WorkObject::SerializeData::Serialize(QReadLocker& tableLocker,
                                                                     const std::function<bool()>& takeQueued)
{
    QMutexLocker locker(&m_lock);
    tableLocker.unlock();
    if (!takeQueued())
        return false;
    if (!m_written)
        WriteOut();
    if (m_written && !m_released) {
        m_data->ReleaseSerializeData();
        m_released = true;
        m_payloadReleased = true;
        return true;
    }
    return false;
}

void VornCommandDataSerializer::WorkObject::SerializeData::RequestCancel()
{
    m_cancel.store(true, std::memory_order_release);
}

void VornCommandDataSerializer::WorkObject::SerializeData::ResetFile()
{
    m_file.reset(new VornReaderWriter);
    m_file->SetCancelFlag(&m_cancel);
    // The file is verified before its record is handed out, so images need
    // not be decoded before they are used: an undo pays only for what it reads.
    m_file->SetDeferredDecoding(true);
}

// Writes the record to a new file. On any failure, and when the write was
// cancelled before the file was closed, the data stays whole in memory and
// the file object is replaced (deleting what was written), so that the next
// Serialize of this entry starts again from a fresh file. A cancelled write
// is not reported. The size and checksum of a written record are kept to
// verify the file before every read-back.
bool VornCommandDataSerializer::WorkObject::SerializeData::WriteOut()
{
    QString path;
    for (int attempt = 0; attempt < 8; ++attempt) {
        path = m_folder.path()
            + QStringLiteral("/~nuboltmp.%1_%2")
                  .arg(QString::number(quintptr(m_data)))
                  .arg(QTime::currentTime().toString(QStringLiteral("hhmmsszzz")));
        // Another stack sharing the folder may hold a file of the same name.
        if (!QFile::exists(path))
            break;
        QThread::msleep(1);
    }
    if (!m_file->Open(QDir::toNativeSeparators(path))) {
        ResetFile();
        KeepUnwritten();
        return false;
    }
    const bool written = m_data->Serialize(m_file.get()) && m_file->Flush();
    const qint64 recordBytes = m_file->GetSize();
    const bool cancelled = m_cancel.load(std::memory_order_acquire);
    m_file->Close();
    if (cancelled) {
        ResetFile();
        if (m_cancelledWrites)
            ++*m_cancelledWrites;
        return false;
    }
    if (!written) {
        VORN_REPORT(QStringLiteral("Serialize data error. Destination file:\"%1\"").arg(path));
        ResetFile();
        KeepUnwritten();
        return false;
    }
    m_written = true;
    m_checksum = m_file->GetChecksum();
    m_unwrittenBytes = -1;
    m_recordBytes = recordBytes;
    return true;
}

// After a failed write: how much memory the payload keeps, for hosts that
// watch what waits in memory.
void VornCommandDataSerializer::WorkObject::SerializeData::KeepUnwritten()
{
    PayloadSizeWriter sizer;
    m_data->Serialize(&sizer);
    m_unwrittenBytes = sizer.GetBytes();
}

// Reads the record back, but only from the very file that was written: a
// file that is gone, has another size or another checksum is reported and
// never applied. A payload still whole in memory is then kept (and written
// again at the next Serialize); a released one stays released, so the
// command takes its path for data without a payload.
bool VornCommandDataSerializer::WorkObject::SerializeData::Deserialize()
{
    RequestCancel();
    QMutexLocker locker(&m_lock);
    m_cancel.store(false, std::memory_order_release);
    if (!m_written)
        return false;
    if (!m_released && !IsFileIntact()) {
        VORN_REPORT(QStringLiteral("Deserialize data error."));
        m_written = false;
        m_recordBytes = -1;
        ResetFile();
        return false;
    }
    if (!OpenAtRecordSize()) {
        VORN_REPORT(QStringLiteral("Deserialize data error."));
        return false;
    }
    m_released = false;
    m_payloadReleased = false;
    const bool read = m_data->Deserialize(m_file.get()) && m_file->ReadToEnd() && m_file->GetChecksum() == m_checksum;
    m_file->Close();
    if (!read) {
        VORN_REPORT(QStringLiteral("Deserialize data error."));
        m_data->ReleaseSerializeData(); // never hand out a damaged record
        m_released = true;
        m_payloadReleased = true;
    }
    return read;
}

std::vector<KXImage32::TilePointer> VornCommandDataSerializer::WorkObject::SerializeData::GetWaitingTiles(
    QReadLocker& tableLocker, const std::function<bool()>& isQueued)
{
    std::vector<KXImage32::TilePointer> tiles;
    std::unique_lock<QMutex> locker(m_lock, std::try_to_lock); // the worker may be writing it
    tableLocker.unlock();
    if (!locker.owns_lock() || m_written || !isQueued())
        return tiles;
    PayloadSizeWriter lister;
    lister.KeepTiles(&tiles);
    m_data->Serialize(&lister);
    return tiles;
}

// Opens the file for reading at its start when it still has the record's size.
bool VornCommandDataSerializer::WorkObject::SerializeData::OpenAtRecordSize()
{
    if (!m_file->Open(QString()))
        return false;
    if (m_file->GetSize() == m_recordBytes && m_file->Seek(0))
        return true;
    m_file->Close();
    return false;
}

bool VornCommandDataSerializer::WorkObject::SerializeData::IsFileIntact()
{
    if (!OpenAtRecordSize())
        return false;
    const bool intact = m_file->ReadToEnd() && m_file->GetChecksum() == m_checksum;
    m_file->Close();
    return intact;
}

bool VornCommandDataSerializer::WorkObject::SerializeData::IsWritten() const
{
    QMutexLocker locker(&m_lock);
    return m_written;
}

bool VornCommandDataSerializer::WorkObject::SerializeData::IsReleased() const
{
    QMutexLocker locker(&m_lock);
    return m_released;
}

QString VornCommandDataSerializer::WorkObject::SerializeData::GetFileName() const
{
    QMutexLocker locker(&m_lock);
    return m_written ? m_file->GetFileName() : QString();
}

VornCommandDataSerializer::DataBytes VornCommandDataSerializer::WorkObject::SerializeData::GetBytes() const
{
    const qint64 recordBytes = m_recordBytes;
    const qint64 unwrittenBytes = m_unwrittenBytes;
    DataBytes bytes;
    bytes.onDisk = qMax<qint64>(recordBytes, 0);
    bytes.inMemory = m_payloadReleased ? 0 : (unwrittenBytes >= 0 ? unwrittenBytes : recordBytes);
    bytes.unwritten = unwrittenBytes >= 0;
    return bytes;
}

#include <QThread>
#include <QTime>

#include "KXErrorReport.h"
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
}

// Writes the record to a new file. On any failure, and when the write was
// cancelled before the file was closed, the data stays whole in memory and
// the file object is replaced (deleting what was written), so that the next
// Serialize of this entry starts again from a fresh file. A cancelled write
// is not reported.
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
        return false;
    }
    m_written = true;
    m_recordBytes = recordBytes;
    return true;
}

bool VornCommandDataSerializer::WorkObject::SerializeData::Deserialize()
{
    RequestCancel();
    QMutexLocker locker(&m_lock);
    m_cancel.store(false, std::memory_order_release);
    if (!m_written)
        return false;
    if (!m_file->Open(QString()))
        return false;
    if (!m_file->Seek(0)) {
        m_file->Close();
        return false;
    }
    m_released = false;
    m_payloadReleased = false;
    const bool read = m_data->Deserialize(m_file.get());
    if (!read)
        VORN_REPORT(QStringLiteral("Deserialize data error."));
    m_file->Close();
    return read;
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
    DataBytes bytes;
    bytes.onDisk = qMax<qint64>(recordBytes, 0);
    bytes.inMemory = m_payloadReleased ? 0 : recordBytes;
    return bytes;
}

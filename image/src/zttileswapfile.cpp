#include "ZTTileManager64.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr qint64 SlotBytes = ZTTileManager64::TileBytes;

// An unnamed file in folder; failing that, a 0600 file unlinked at once.
int OpenPrivateFile(const QString& folder)
{
    const QByteArray path = QFile::encodeName(QDir(folder).absolutePath());
#ifdef O_TMPFILE
    const int unnamed = ::open(path.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC | O_EXCL, S_IRUSR | S_IWUSR);
    if (unnamed >= 0)
        return unnamed;
#endif
    QByteArray name = path + "/~nuboltmp.swap.XXXXXX";
    const int named = ::mkostemp(name.data(), O_CLOEXEC);
    if (named >= 0)
        ::unlink(name.constData());
    return named;
}

// Moves a whole slot with pread or pwrite (call(done) transfers the rest from
// byte done on); a call that makes no progress fails.
template <class Call> bool WholeSlot(Call call)
{
    qint64 done = 0;
    while (done < SlotBytes) {
        const ssize_t count = call(done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        done += count;
    }
    return true;
}

bool WriteAt(int descriptor, const uchar* bytes, qint64 offset)
{
    return WholeSlot([&](qint64 done) {
        return ::pwrite(descriptor, bytes + done, size_t(SlotBytes - done), off_t(offset + done));
    });
}

bool ReadAt(int descriptor, uchar* bytes, qint64 offset)
{
    return WholeSlot([&](qint64 done) {
        return ::pread(descriptor, bytes + done, size_t(SlotBytes - done), off_t(offset + done));
    });
}
} // namespace

ZTTileSwapFile::ZTTileSwapFile(const QString& folder)
    : m_descriptor(folder.isEmpty() ? -1 : OpenPrivateFile(folder))
{
}

ZTTileSwapFile::~ZTTileSwapFile()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

bool ZTTileSwapFile::IsOpen() const
{
    return m_descriptor >= 0;
}

qint64 ZTTileSwapFile::Store(const uchar* bytes)
{
    if (m_descriptor < 0 || !bytes)
        return -1;
    qint64 slot = 0;
    {
        QMutexLocker locker(&m_lock);
        if (!m_freeSlots.empty()) {
            slot = m_freeSlots.back();
            m_freeSlots.pop_back();
        } else {
            slot = m_slotCount++;
        }
        ++m_usedSlots;
    }
    if (WriteAt(m_descriptor, bytes, slot * SlotBytes))
        return slot;
    Release(slot);
    return -1;
}

bool ZTTileSwapFile::Load(qint64 slot, uchar* destination)
{
    if (m_descriptor >= 0 && slot >= 0 && ReadAt(m_descriptor, destination, slot * SlotBytes))
        return true;
    std::memset(destination, 0, size_t(SlotBytes));
    QMutexLocker locker(&m_lock);
    ++m_readErrors;
    return false;
}

void ZTTileSwapFile::Release(qint64 slot)
{
    if (slot < 0)
        return;
    QMutexLocker locker(&m_lock);
    if (--m_usedSlots > 0) {
        m_freeSlots.push_back(slot);
        return;
    }
    // Nothing in use: give the disk space back.
    m_freeSlots.clear();
    m_slotCount = 0;
    if (m_descriptor >= 0 && ::ftruncate(m_descriptor, 0) != 0) {
        // The space stays allocated until the file closes; the slots are still reused.
    }
}

qint64 ZTTileSwapFile::UsedSlots() const
{
    QMutexLocker locker(&m_lock);
    return m_usedSlots;
}

qint64 ZTTileSwapFile::FileBytes() const
{
    struct stat status;
    return m_descriptor >= 0 && ::fstat(m_descriptor, &status) == 0 ? qint64(status.st_size) : 0;
}

qint64 ZTTileSwapFile::ReadErrors() const
{
    QMutexLocker locker(&m_lock);
    return m_readErrors;
}

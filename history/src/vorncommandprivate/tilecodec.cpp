#include "tilecodec_p.h"

#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <libdeflate.h>
#include <zlib.h>

#include <atomic>
#include <cerrno>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include "ZTTileManager64.h"

namespace {

// One deflate state per thread, reset for every tile: deflateInit once,
// then each tile is compressed exactly as compress2 (which qCompress calls)
// would, with the same parameters.
class Deflater
{
public:
    Deflater() { m_ready = deflateInit(&m_stream, Z_DEFAULT_COMPRESSION) == Z_OK; }
    ~Deflater()
    {
        if (m_ready)
            deflateEnd(&m_stream);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    QByteArray Compress(const unsigned char* raw)
    {
        if (!m_ready || deflateReset(&m_stream) != Z_OK)
            return QByteArray();
        const uLong bound = deflateBound(&m_stream, TileCodec::TileBytes);
        QByteArray blob(int(4 + bound), Qt::Uninitialized);
        auto* out = reinterpret_cast<unsigned char*>(blob.data());
        out[0] = 0;
        out[1] = 1; // 65536, big-endian
        out[2] = 0;
        out[3] = 0;
        m_stream.next_in = const_cast<unsigned char*>(raw);
        m_stream.avail_in = TileCodec::TileBytes;
        m_stream.next_out = out + 4;
        m_stream.avail_out = uInt(bound);
        if (deflate(&m_stream, Z_FINISH) != Z_STREAM_END)
            return QByteArray();
        blob.resize(int(4 + m_stream.total_out));
        return blob;
    }

private:
    z_stream m_stream {};
    bool m_ready = false;
};

class Inflater
{
public:
    Inflater()
        : m_decompressor(libdeflate_alloc_decompressor())
    {
    }
    ~Inflater() { libdeflate_free_decompressor(m_decompressor); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    libdeflate_decompressor* Get() const { return m_decompressor; }

private:
    libdeflate_decompressor* m_decompressor;
};

quint32 StoredLength(const char* blob)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(blob);
    return quint32(bytes[0]) << 24 | quint32(bytes[1]) << 16 | quint32(bytes[2]) << 8 | quint32(bytes[3]);
}

} // namespace

namespace TileCodec {

QByteArray Compress(const unsigned char* raw)
{
    thread_local Deflater deflater;
    return deflater.Compress(raw);
}

bool HasTileFraming(const char* blob, int size)
{
    return size > 4 && size <= MaxBlobBytes && StoredLength(blob) == quint32(TileBytes);
}

bool Decompress(const char* blob, int size, unsigned char* destination)
{
    if (!HasTileFraming(blob, size))
        return false;
    thread_local Inflater inflater;
    if (!inflater.Get())
        return false;
    // Without an actual-size result libdeflate insists on exactly TileBytes.
    return libdeflate_zlib_decompress(inflater.Get(), blob + 4, size_t(size - 4), destination, TileBytes, nullptr)
        == LIBDEFLATE_SUCCESS;
}

QThreadPool* BackgroundPool()
{
    static QThreadPool pool;
    return &pool;
}

void LowerThreadPriority()
{
#ifdef Q_OS_LINUX
    // Linux schedules threads apart: each has its own nice value.
    thread_local bool lowered = false;
    if (lowered)
        return;
    lowered = true;
    const auto thread = id_t(syscall(SYS_gettid));
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, thread);
    if (errno == 0)
        setpriority(PRIO_PROCESS, thread, qMin(nice + 10, 19));
#endif
}

void ParallelFor(int count, const std::function<void(int)>& work)
{
    if (count <= 0)
        return;
    std::atomic<int> next {0};
    auto drain = [&] {
        for (int i = next++; i < count; i = next++)
            work(i);
    };
    // Helpers only take threads that are free now, so nothing waits on a
    // busy pool; the calling thread works through the rest itself.
    QSemaphore finished;
    int helpers = 0;
    const int wanted = qMin(count, QThread::idealThreadCount()) - 1;
    QThreadPool* pool = BackgroundPool();
    while (helpers < wanted && pool->tryStart([&] {
        LowerThreadPriority();
        drain();
        finished.release();
    }))
        ++helpers;
    drain();
    finished.acquire(helpers);
}

} // namespace TileCodec

TileBlobCache& TileBlobCache::Instance()
{
    static TileBlobCache cache;
    return cache;
}

TileBlobCache::TileBlobCache()
{
    ZTTileManager64::Instance()->SetTileFreedHook(&TileBlobCache::Forget);
}

TileBlobCache::~TileBlobCache()
{
    ZTTileManager64::Instance()->SetTileFreedHook(nullptr);
}

void TileBlobCache::Forget(void* tile)
{
    TileBlobCache& cache = Instance();
    QMutexLocker locker(&cache.m_lock);
    const auto found = cache.m_byTile.find(tile);
    if (found == cache.m_byTile.end())
        return;
    cache.m_bytes -= found->second->blob.size();
    cache.m_entries.erase(found->second);
    cache.m_byTile.erase(found);
}

QByteArray TileBlobCache::Find(const void* tile, quint64 revision)
{
    QMutexLocker locker(&m_lock);
    const auto found = m_byTile.find(tile);
    if (found == m_byTile.end() || found->second->revision != revision) {
        ++m_misses;
        return QByteArray();
    }
    ++m_hits;
    m_entries.splice(m_entries.begin(), m_entries, found->second);
    return found->second->blob;
}

void TileBlobCache::Insert(const void* tile, quint64 revision, const QByteArray& blob)
{
    QMutexLocker locker(&m_lock);
    const auto found = m_byTile.find(tile);
    if (found != m_byTile.end()) {
        m_bytes -= found->second->blob.size();
        m_entries.erase(found->second);
        m_byTile.erase(found);
    }
    m_entries.push_front(Entry {tile, revision, blob});
    m_byTile.emplace(tile, m_entries.begin());
    m_bytes += blob.size();
    Evict();
}

void TileBlobCache::FitImage(qint64 imageBlobBytes)
{
    QMutexLocker locker(&m_lock);
    m_capacity = qBound(m_capacity, 2 * imageBlobBytes, MaxCapacity);
}

void TileBlobCache::Evict()
{
    while (m_bytes > m_capacity && !m_entries.empty()) {
        const Entry& last = m_entries.back();
        m_bytes -= last.blob.size();
        m_byTile.erase(last.tile);
        m_entries.pop_back();
    }
}

qint64 TileBlobCache::Hits() const
{
    QMutexLocker locker(&m_lock);
    return m_hits;
}

qint64 TileBlobCache::Misses() const
{
    QMutexLocker locker(&m_lock);
    return m_misses;
}

qint64 TileBlobCache::Bytes() const
{
    QMutexLocker locker(&m_lock);
    return m_bytes;
}

void TileBlobCache::Clear()
{
    QMutexLocker locker(&m_lock);
    m_entries.clear();
    m_byTile.clear();
    m_bytes = 0;
}

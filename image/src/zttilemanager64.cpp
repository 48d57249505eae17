#include "ZTTileManager64.h"

#include <QMutex>
#include <QVector>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
// Sanitized builds hand every tile back to the system so that a use after
// CleanUpTile is caught instead of landing in a pooled tile.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kPoolLimit = 0;
#else
// Enough for the two snapshots of a 4096 x 4096 layer that an undo reads back
// while the previous ones are freed: fresh tile memory costs a page fault per
// 4 KiB on first touch, a pooled tile nothing. 128 MiB of ready tiles at most.
constexpr int kPoolLimit = 2048;
#endif

// Each tile's memory starts with this header; its pixels follow at HeaderBytes.
struct TileHeader
{
    std::atomic<quint64> revision;
};
constexpr size_t HeaderBytes = 64; // keeps the pixels 64-byte aligned
static_assert(sizeof(TileHeader) <= HeaderBytes, "tile header fits");

// Revisions come from one counter, so no two states of any tiles share one.
std::atomic<quint64> g_lastRevision{0};

TileHeader* Header(void* tile)
{
    return static_cast<TileHeader*>(tile);
}

uchar* Pixels(void* tile)
{
    return static_cast<uchar*>(tile) + HeaderBytes;
}
} // namespace

struct ZTTileManager64::Private
{
    QMutex poolLock;
    QVector<void*> pool;
    std::atomic<qint64> live{0};
    std::atomic<qint64> peak{0};
    std::atomic<qint64> mappings{0};
};

ZTTileManager64* ZTTileManager64::Instance()
{
    static ZTTileManager64 manager;
    return &manager;
}

ZTTileManager64::ZTTileManager64()
    : d(new Private)
{
}

ZTTileManager64::~ZTTileManager64()
{
    TrimPool();
    delete d;
}

void* ZTTileManager64::MakeTile()
{
    void* tile = nullptr;
    {
        QMutexLocker locker(&d->poolLock);
        if (!d->pool.isEmpty()) {
            tile = d->pool.takeLast();
        }
    }
    if (!tile) {
        tile = std::aligned_alloc(64, HeaderBytes + TileBytes);
        if (!tile)
            throw std::bad_alloc();
        new (tile) TileHeader;
    }
    Header(tile)->revision.store(++g_lastRevision, std::memory_order_release);
    const qint64 live = ++d->live;
    qint64 peak = d->peak.load();
    while (live > peak && !d->peak.compare_exchange_weak(peak, live)) {
    }
    return tile;
}

uchar* ZTTileManager64::GetMemory(void* tile, bool write)
{
    if (!tile)
        return nullptr;
    if (write)
        Header(tile)->revision.store(++g_lastRevision, std::memory_order_release);
    ++d->mappings;
    return Pixels(tile);
}

void ZTTileManager64::FreeMemory(void* tile)
{
    if (tile)
        --d->mappings;
}

void ZTTileManager64::ReadMemory(void* tile, char* buffer)
{
    if (tile && buffer)
        memcpy(buffer, Pixels(tile), TileBytes);
}

quint64 ZTTileManager64::Revision(void* tile) const
{
    return tile ? Header(tile)->revision.load(std::memory_order_acquire) : 0;
}

void ZTTileManager64::CleanUpTile(void* tile)
{
    if (!tile)
        return;
    --d->live;
    {
        QMutexLocker locker(&d->poolLock);
        if (d->pool.size() < kPoolLimit) {
            d->pool.append(tile);
            return;
        }
    }
    std::free(tile);
}

qint64 ZTTileManager64::LiveTiles() const
{
    return d->live.load();
}

qint64 ZTTileManager64::PeakTiles() const
{
    return d->peak.load();
}

void ZTTileManager64::ResetPeakTiles()
{
    d->peak.store(d->live.load());
}

qint64 ZTTileManager64::OpenMappings() const
{
    return d->mappings.load();
}

qint64 ZTTileManager64::PooledTiles() const
{
    QMutexLocker locker(&d->poolLock);
    return d->pool.size();
}

void ZTTileManager64::TrimPool()
{
    QVector<void*> pool;
    {
        QMutexLocker locker(&d->poolLock);
        pool.swap(d->pool);
    }
    for (void* tile : pool)
        std::free(tile);
}

#include "ZTTileManager64.h"

#include <QMutex>
#include <QVector>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <cstring>
#include <new>

#include <sys/mman.h>

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

struct DeferredGroup;

// A tile handle points at its header; the pixels are a separate page-aligned
// block, so that a swapped-out tile can hand its pages back to the system.
struct TileHeader
{
    std::atomic<quint64> revision{0};
    // While the tile's bytes are still to be made: its group (guarded by
    // g_deferredLock) and its index there.
    std::atomic<bool> deferred{false};
    std::shared_ptr<DeferredGroup> group;
    int index = 0;
    // Mappings open on this tile: a mapped tile is never swapped out.
    std::atomic<int> pins{0};
    // While the bytes live in swapFile's slot instead of pixels. Changed only
    // under the tile's swap lock.
    std::atomic<bool> swapped{false};
    std::shared_ptr<ZTTileSwapFile> swapFile;
    qint64 slot = -1;
    uchar* pixels = nullptr; // TileBytes, page-aligned, owned
};
constexpr size_t PageBytes = 4096;

// Revisions come from one counter, so no two states of any tiles share one.
std::atomic<quint64> g_lastRevision{0};

// Tiles made together by one filler. fillLock is held while the filler runs
// and while a pending tile leaves the group, so a tile being filled is never
// freed under the filler.
struct DeferredGroup
{
    QMutex fillLock;
    std::shared_ptr<ZTTileFiller> filler;
    std::vector<void*> tiles; // by index; null once cleaned up (guarded by g_deferredLock)
    bool made = false;        // guarded by fillLock
};
// Guards the group pointers of tile headers and the groups' tile lists; held briefly.
QMutex g_deferredLock;

TileHeader* Header(void* tile)
{
    return static_cast<TileHeader*>(tile);
}

// The pages go back to the system first: the allocator would keep a freed
// block of the heap's middle resident.
void FreeTile(void* tile)
{
    madvise(Header(tile)->pixels, ZTTileManager64::TileBytes, MADV_DONTNEED);
    std::free(Header(tile)->pixels);
    delete Header(tile);
}

uchar* Pixels(void* tile)
{
    return Header(tile)->pixels;
}

// Swapping a tile in or out happens under one of these, picked by the tile.
QMutex g_swapLocks[64];
QMutex& SwapLock(const void* tile)
{
    return g_swapLocks[(quintptr(tile) >> 6) % 64];
}
std::atomic<qint64> g_swappedOut{0};

// Under the tile's swap lock: the tile's bytes are in memory again (or no
// longer needed), its slot goes back to the file.
void ReleaseSlot(TileHeader* header)
{
    header->swapFile->Release(header->slot);
    header->swapFile.reset();
    header->slot = -1;
    header->swapped.store(false);
    --g_swappedOut;
}

// Brings a swapped-out tile's bytes back. The caller has pinned the tile
// (pins counted before swapped is read, so SwapOut sees the pin or this sees
// the swap).
void SwapIn(void* tile)
{
    TileHeader* header = Header(tile);
    if (!header->swapped.load())
        return;
    QMutexLocker locker(&SwapLock(tile));
    if (!header->swapped.load())
        return;
    header->swapFile->Load(header->slot, header->pixels);
    ReleaseSlot(header);
}

// A dead tile's slot goes back to its file; its bytes are not needed.
void DropSwapped(void* tile)
{
    TileHeader* header = Header(tile);
    if (!header->swapped.load())
        return;
    QMutexLocker locker(&SwapLock(tile));
    ReleaseSlot(header);
}

std::shared_ptr<DeferredGroup> GroupOf(void* tile)
{
    QMutexLocker locker(&g_deferredLock);
    return Header(tile)->group;
}

// Makes the bytes of every pending tile of tile's group, once.
void MakeDeferred(void* tile)
{
    if (!Header(tile)->deferred.load(std::memory_order_acquire))
        return;
    const std::shared_ptr<DeferredGroup> group = GroupOf(tile);
    if (!group)
        return;
    QMutexLocker fillLocker(&group->fillLock);
    if (group->made)
        return;
    std::vector<int> indexes;
    std::vector<uchar*> destinations;
    std::vector<void*> pending;
    {
        QMutexLocker locker(&g_deferredLock);
        for (size_t index = 0; index < group->tiles.size(); ++index) {
            if (void* each = group->tiles[index]) {
                indexes.push_back(int(index));
                destinations.push_back(Pixels(each));
                pending.push_back(each);
            }
        }
    }
    group->filler->Fill(indexes, destinations);
    group->made = true;
    {
        QMutexLocker locker(&g_deferredLock);
        for (void* each : pending) {
            Header(each)->group.reset();
            Header(each)->deferred.store(false, std::memory_order_release);
        }
        group->tiles.clear();
    }
    group->filler.reset();
}

// A pending tile about to be freed leaves its group unmade.
void LeaveGroup(void* tile)
{
    if (!Header(tile)->deferred.load(std::memory_order_acquire))
        return;
    const std::shared_ptr<DeferredGroup> group = GroupOf(tile);
    if (!group)
        return;
    QMutexLocker fillLocker(&group->fillLock); // waits for a fill in progress
    QMutexLocker locker(&g_deferredLock);
    TileHeader* header = Header(tile);
    if (header->group) {
        group->tiles[size_t(header->index)] = nullptr;
        header->group.reset();
        header->deferred.store(false, std::memory_order_release);
    }
}
} // namespace

ZTTileFiller::~ZTTileFiller() = default;

struct ZTTileManager64::Private
{
    QMutex poolLock;
    QVector<void*> pool;
    std::atomic<qint64> live{0};
    std::atomic<qint64> peak{0};
    std::atomic<qint64> mappings{0};
    std::atomic<TileFreedHook> freedHook{nullptr};
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
        auto* pixels = static_cast<uchar*>(std::aligned_alloc(PageBytes, TileBytes));
        if (!pixels)
            throw std::bad_alloc();
        tile = new (std::nothrow) TileHeader;
        if (!tile) {
            std::free(pixels);
            throw std::bad_alloc();
        }
        Header(tile)->pixels = pixels;
    }
    Header(tile)->revision.store(++g_lastRevision, std::memory_order_release);
    const qint64 live = ++d->live;
    qint64 peak = d->peak.load();
    while (live > peak && !d->peak.compare_exchange_weak(peak, live)) {
    }
    return tile;
}

std::vector<void*> ZTTileManager64::MakeDeferredTiles(int count, const std::shared_ptr<ZTTileFiller>& filler)
{
    std::vector<void*> tiles;
    if (count <= 0 || !filler)
        return tiles;
    tiles.reserve(size_t(count));
    try {
        for (int index = 0; index < count; ++index)
            tiles.push_back(MakeTile());
    } catch (const std::bad_alloc&) {
        for (void* tile : tiles)
            CleanUpTile(tile);
        throw;
    }
    auto group = std::make_shared<DeferredGroup>();
    group->filler = filler;
    group->tiles = tiles;
    QMutexLocker locker(&g_deferredLock);
    for (int index = 0; index < count; ++index) {
        TileHeader* header = Header(tiles[size_t(index)]);
        header->group = group;
        header->index = index;
        header->deferred.store(true, std::memory_order_release);
    }
    return tiles;
}

bool ZTTileManager64::IsDeferred(void* tile) const
{
    return tile && Header(tile)->deferred.load(std::memory_order_acquire);
}

uchar* ZTTileManager64::GetMemory(void* tile, bool write)
{
    if (!tile)
        return nullptr;
    MakeDeferred(tile);
    ++Header(tile)->pins;
    SwapIn(tile);
    if (write)
        Header(tile)->revision.store(++g_lastRevision);
    ++d->mappings;
    return Pixels(tile);
}

void ZTTileManager64::FreeMemory(void* tile)
{
    if (!tile)
        return;
    --Header(tile)->pins;
    --d->mappings;
}

void ZTTileManager64::ReadMemory(void* tile, char* buffer)
{
    if (!tile || !buffer)
        return;
    MakeDeferred(tile);
    ++Header(tile)->pins;
    SwapIn(tile);
    memcpy(buffer, Pixels(tile), TileBytes);
    --Header(tile)->pins;
}

bool ZTTileManager64::SwapOut(void* tile, const std::shared_ptr<ZTTileSwapFile>& file)
{
    if (!tile || !file || !file->IsOpen())
        return false;
    TileHeader* header = Header(tile);
    if (header->deferred.load())
        return false;
    QMutexLocker locker(&SwapLock(tile));
    if (header->swapped.load() || header->pins.load() != 0)
        return false;
    const quint64 revision = header->revision.load();
    // Readers may map the tile meanwhile; a writer bumps the revision.
    const qint64 slot = file->Store(header->pixels);
    if (slot < 0)
        return false;
    header->swapped.store(true);
    // A mapping that began before the store above is still open, or a write
    // mapping came and went: keep the tile. Any later mapping sees swapped
    // and waits for this lock before it reads.
    if (header->pins.load() != 0 || header->revision.load() != revision) {
        header->swapped.store(false);
        file->Release(slot);
        return false;
    }
    header->swapFile = file;
    header->slot = slot;
    madvise(header->pixels, TileBytes, MADV_DONTNEED);
    ++g_swappedOut;
    return true;
}

void ZTTileManager64::SetTileFreedHook(TileFreedHook hook)
{
    d->freedHook.store(hook);
}

bool ZTTileManager64::IsSwappedOut(void* tile) const
{
    return tile && Header(tile)->swapped.load();
}

qint64 ZTTileManager64::SwappedOutTiles() const
{
    return g_swappedOut.load();
}

quint64 ZTTileManager64::Revision(void* tile) const
{
    return tile ? Header(tile)->revision.load(std::memory_order_acquire) : 0;
}

void ZTTileManager64::CleanUpTile(void* tile)
{
    if (!tile)
        return;
    if (TileFreedHook hook = d->freedHook.load())
        hook(tile);
    LeaveGroup(tile);
    DropSwapped(tile);
    --d->live;
    {
        QMutexLocker locker(&d->poolLock);
        if (d->pool.size() < kPoolLimit) {
            d->pool.append(tile);
            return;
        }
    }
    FreeTile(tile);
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
        FreeTile(tile);
}

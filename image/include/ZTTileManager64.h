#pragma once

#include <QMutex>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <vector>

#include "vornimage_export.h"

// Makes the bytes of deferred tiles (ZTTileManager64::MakeDeferredTiles)
// when one of them is first needed, for example by decoding tiles that were
// read back compressed. Owned by its group of tiles.
class VORNIMAGE_EXPORT ZTTileFiller
{
public:
    virtual ~ZTTileFiller();
    // Writes the 65536 bytes of the group's tile indexes[k] at
    // destinations[k], for every k. Runs once per group, on the first thread
    // that maps or reads any of its tiles, while the group is locked: it must
    // not map the group's tiles itself, and must not throw.
    virtual void Fill(const std::vector<int>& indexes, const std::vector<uchar*>& destinations) = 0;
};

// A private file that holds the bytes of swapped-out tiles
// (ZTTileManager64::SwapOut), one 64 KiB slot each. The file has no name that
// another process could open: it is made unnamed where the file system allows
// (O_TMPFILE), otherwise made with mode 0600 and unlinked at once, so nothing
// is left on disk however the process ends. Slots are reused; the file shrinks
// to nothing whenever no slot is in use. Thread-safe. Shared by the tiles
// swapped into it; closed with the last of them.
class VORNIMAGE_EXPORT ZTTileSwapFile
{
public:
    explicit ZTTileSwapFile(const QString& folder);
    ~ZTTileSwapFile();
    ZTTileSwapFile(const ZTTileSwapFile&) = delete;
    ZTTileSwapFile& operator=(const ZTTileSwapFile&) = delete;

    // False when the folder refused the file.
    bool IsOpen() const;
    // Writes one tile's bytes to a free slot; -1 when the write fails (a full
    // disk), nothing kept then.
    qint64 Store(const uchar* bytes);
    // Reads a slot back; false (and destination zeroed) when the read fails.
    bool Load(qint64 slot, uchar* destination);
    void Release(qint64 slot);

    qint64 UsedSlots() const;
    qint64 FileBytes() const;
    // Reads that failed, whose tiles came back transparent.
    qint64 ReadErrors() const;

private:
    int m_descriptor = -1;
    mutable QMutex m_lock;
    std::vector<qint64> m_freeSlots;
    qint64 m_slotCount = 0; // slots the file holds
    qint64 m_usedSlots = 0;
    qint64 m_readErrors = 0;
};

// The process-wide keeper of 64 KiB pixel tiles. Images hold tile handles only;
// the memory behind a handle is reached through GetMemory/FreeMemory pairs.
// Freed tiles go back to a pool (up to 128 MiB) so that editing and undo reuse
// memory already touched instead of faulting in fresh pages. A tile nobody has
// mapped can be swapped out to a ZTTileSwapFile, which gives its memory back to
// the system; it is read back when next mapped or read.
// All operations are thread-safe.
// One instance, alive until the process exits; it owns the pool, and a tile
// belongs to whoever made it until CleanUpTile hands it back.
class VORNIMAGE_EXPORT ZTTileManager64
{
public:
    static constexpr int TileBytes = 65536;

    static ZTTileManager64* Instance();

    // A new tile; its contents are undefined.
    void* MakeTile();
    // count new tiles, tile i being the filler's index i, whose bytes the
    // filler makes together when any of them is first mapped or read (so a
    // group is best one image's tiles). Tiles cleaned up before that are
    // never made; the filler goes with the group's last pending tile.
    // Throws std::bad_alloc.
    std::vector<void*> MakeDeferredTiles(int count, const std::shared_ptr<ZTTileFiller>& filler);
    // True while a tile's bytes are still to be made by its filler.
    bool IsDeferred(void* tile) const;
    // Maps a tile's bytes for reading (write false) or writing (write true),
    // making them first when the tile is deferred. Every successful call is
    // paired with FreeMemory.
    uchar* GetMemory(void* tile, bool write);
    void FreeMemory(void* tile);
    // Copies a tile's 65536 bytes into buffer (made first when deferred).
    void ReadMemory(void* tile, char* buffer);
    void CleanUpTile(void* tile);
    // A number that changes whenever the tile is mapped for writing. Never
    // shared by two tiles: a tile made later in the same memory gets its own.
    // Lets callers keep something derived from a tile's bytes (such as its
    // compressed form) for as long as the bytes stay the same.
    quint64 Revision(void* tile) const;

    // Moves the bytes of a tile to file and gives its memory back. Refused
    // (false, the tile unchanged) for a tile that is mapped, deferred, already
    // swapped out or written meanwhile, or when the file cannot take it.
    bool SwapOut(void* tile, const std::shared_ptr<ZTTileSwapFile>& file);
    // Called by CleanUpTile with each tile it hands back, before the memory
    // is reused, so that whoever keeps something derived from a tile (its
    // compressed form) can drop it. One hook at a time; null removes it.
    using TileFreedHook = void (*)(void* tile);
    void SetTileFreedHook(TileFreedHook hook);
    bool IsSwappedOut(void* tile) const;

    // Counters read by tests and benchmarks.
    qint64 LiveTiles() const;
    qint64 PeakTiles() const;
    void ResetPeakTiles();
    qint64 OpenMappings() const;
    qint64 PooledTiles() const;
    qint64 SwappedOutTiles() const;
    // Returns pooled tiles to the system.
    void TrimPool();

    ZTTileManager64(const ZTTileManager64&) = delete;
    ZTTileManager64& operator=(const ZTTileManager64&) = delete;

private:
    ZTTileManager64();
    ~ZTTileManager64();
    struct Private;
    Private* d;
};

// Maps one tile for the lifetime of the object (GetMemory/FreeMemory paired).
// Does not own the tile. Usable on any thread.
class ZTTileMemory
{
public:
    ZTTileMemory(void* tile, bool write)
        : m_tile(tile)
        , m_bytes(ZTTileManager64::Instance()->GetMemory(tile, write))
    {
    }
    ~ZTTileMemory()
    {
        if (m_bytes)
            ZTTileManager64::Instance()->FreeMemory(m_tile);
    }
    ZTTileMemory(const ZTTileMemory&) = delete;
    ZTTileMemory& operator=(const ZTTileMemory&) = delete;

    uchar* Bytes() const { return m_bytes; }

private:
    void* m_tile;
    uchar* m_bytes;
};

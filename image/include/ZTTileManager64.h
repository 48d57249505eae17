#pragma once

#include <QtGlobal>

#include "vornimage_export.h"

// The process-wide keeper of 64 KiB pixel tiles. Images hold tile handles only;
// the memory behind a handle is reached through GetMemory/FreeMemory pairs.
// Freed tiles go back to a pool (up to 128 MiB) so that editing and undo reuse
// memory already touched instead of faulting in fresh pages.
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
    // Maps a tile's bytes for reading (write false) or writing (write true).
    // Every successful call is paired with FreeMemory.
    uchar* GetMemory(void* tile, bool write);
    void FreeMemory(void* tile);
    // Copies a tile's 65536 bytes into buffer.
    void ReadMemory(void* tile, char* buffer);
    void CleanUpTile(void* tile);
    // A number that changes whenever the tile is mapped for writing. Never
    // shared by two tiles: a tile made later in the same memory gets its own.
    // Lets callers keep something derived from a tile's bytes (such as its
    // compressed form) for as long as the bytes stay the same.
    quint64 Revision(void* tile) const;

    // Counters read by tests and benchmarks.
    qint64 LiveTiles() const;
    qint64 PeakTiles() const;
    void ResetPeakTiles();
    qint64 OpenMappings() const;
    qint64 PooledTiles() const;
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

#pragma once

// Internal: the tile blobs of the tiled image record. A blob is qCompress of a
// tile's 65536 bytes at the default level: the 4-byte big-endian length, then
// a zlib stream. Blobs are made with zlib (so the bytes are qCompress's) and
// read with libdeflate, straight into the tile's memory.

#include <QByteArray>
#include <QMutex>
#include <QThreadPool>

#include <functional>
#include <list>
#include <unordered_map>

namespace TileCodec {

constexpr int TileBytes = 65536;
// The length prefix, then at most zlib's compressBound(65536) bytes.
constexpr int MaxBlobBytes = 4 + TileBytes + (TileBytes >> 12) + (TileBytes >> 14) + 13;

// qCompress(raw, 65536, -1), byte for byte; one z_stream is kept per thread.
// Null when zlib fails (out of memory).
QByteArray Compress(const unsigned char* raw);

// True when the blob is framed as one compressed tile: a length prefix of
// 65536 and a body of a size zlib can give for it. Says nothing of the body.
bool HasTileFraming(const char* blob, int size);

// Decodes one blob into exactly 65536 bytes at destination. False when the
// blob is not one compressed tile: a length prefix other than 65536, a
// corrupt stream, a wrong checksum, or fewer or more than 65536 bytes inside.
bool Decompress(const char* blob, int size, unsigned char* destination);

// The threads of the history's background work: writing records and the
// parallel compression and decoding of their tiles. Each task on it calls
// LowerThreadPriority first, so that on a machine short of cores a busy
// writer yields to the application's own threads.
QThreadPool* BackgroundPool();
// Gives the calling pool thread a lower scheduling priority, once.
void LowerThreadPriority();

// Runs work(0) .. work(count - 1) on the calling thread and on whichever
// threads of the background pool are free, and returns when all have run.
// work must not throw.
void ParallelFor(int count, const std::function<void(int)>& work);

} // namespace TileCodec

// The blobs of tiles written lately, by tile and revision
// (ZTTileManager64::Revision), so that a tile that several records hold (the
// "after" image of one edit is the "before" image of the next) is compressed
// once. A tile mapped for writing since gets a new revision and misses; a
// tile made later in a dead tile's memory has a revision of its own. The
// least recently used blobs go first once the cache holds more than its
// capacity, which grows to twice the blob bytes of the largest image written,
// and a tile's blob goes when the tile is freed.
class TileBlobCache
{
public:
    static TileBlobCache& Instance();

    // The blob of tile at revision, or null.
    QByteArray Find(const void* tile, quint64 revision);
    void Insert(const void* tile, quint64 revision, const QByteArray& blob);
    // Makes room for the blobs of an image of imageBlobBytes twice over.
    void FitImage(qint64 imageBlobBytes);

    // Counters for benchmarks.
    qint64 Hits() const;
    qint64 Misses() const;
    qint64 Bytes() const;
    void Clear();

private:
    TileBlobCache();
    ~TileBlobCache();
    void Evict();
    static void Forget(void* tile);

    struct Entry
    {
        const void* tile;
        quint64 revision;
        QByteArray blob;
    };
    static constexpr qint64 MinCapacity = 64LL << 20;
    static constexpr qint64 MaxCapacity = 512LL << 20;

    mutable QMutex m_lock;
    std::list<Entry> m_entries; // most recently used first
    std::unordered_map<const void*, std::list<Entry>::iterator> m_byTile;
    qint64 m_bytes = 0;
    qint64 m_capacity = MinCapacity;
    qint64 m_hits = 0;
    qint64 m_misses = 0;
};

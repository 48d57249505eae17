#pragma once

// Internal helpers of the image library for working on tiled images tile by
// tile: tile geometry, a small cache of tiles mapped for reading, a writable
// mapping that respects copy-on-write, and gathering pixel runs across tiles.

#include <QRect>

#include <map>
#include <optional>
#include <tuple>

#include "KXImage.h"

namespace KXTiles {

constexpr int Size = int(KXImage32::TileWidth);
static_assert(KXImage32::TileWidth == KXImage32::TileHeight, "square tiles");

inline QRect TileRect(int column, int row)
{
    return QRect(column * Size, row * Size, Size, Size);
}

// Calls visit(column, row, part) for every tile that rect (inside the image)
// touches, with part the piece of rect inside that tile; rows top to bottom.
template <class Visit>
void ForEachTile(const QRect& rect, Visit visit)
{
    if (rect.isEmpty())
        return;
    for (int row = rect.top() / Size; row <= rect.bottom() / Size; ++row)
        for (int column = rect.left() / Size; column <= rect.right() / Size; ++column)
            visit(column, row, rect & TileRect(column, row));
}

// Keeps a few tiles of a const image mapped for reading; every mapping is
// released by the destructor. The image must not change while it lives.
class ReadCache
{
public:
    explicit ReadCache(const KXImage32& image);
    ~ReadCache();
    ReadCache(const ReadCache&) = delete;
    ReadCache& operator=(const ReadCache&) = delete;

    const KXImage32& Image() const { return m_image; }
    // The 128 x 128 pixels of a tile, or null outside the tile grid.
    const KXRGBA32i* Tile(int column, int row);

private:
    static constexpr int Slots = 32;
    struct Slot
    {
        qint64 index = -1;
        void* handle = nullptr;
        const KXRGBA32i* pixels = nullptr;
    };
    const KXImage32& m_image;
    Slot m_slots[Slots];
};

// Copies count pixels of row y starting at x into out; pixels outside the
// rectangle valid (which must lie inside the image) are transparent.
void ReadPixels(ReadCache& cache, const QRect& valid, int x, int y, int count, KXRGBA32i* out);

// A tile of an image mapped for writing, made private to the image first
// (copy-on-write). Mapped on the first call of Pixels(). When the caller
// overwrites every pixel, a shared tile is replaced by a new one instead of
// being copied; when it rewrites every pixel from its old value (Rewrite), it
// reads the old values through BeforeAt(), the shared tile's while Pixels() is a
// new one.
class WriteTile
{
public:
    enum Use
    {
        Modify,
        OverwriteAll,
        Rewrite
    };
    WriteTile(KXImage32& image, int column, int row, Use use = Modify)
        : m_image(image)
        , m_column(column)
        , m_row(row)
        , m_use(use)
    {
    }
    KXRGBA32i* Pixels()
    {
        if (!m_memory) {
            if (m_use != Modify && m_image.IsTileShared(unsigned(m_column), unsigned(m_row))) {
                if (m_use == Rewrite) {
                    m_before = m_image.GetSharedTile(unsigned(m_column), unsigned(m_row));
                    m_beforeMemory.emplace(m_before.constData()->Handle(), false);
                }
                m_image.SetTile(unsigned(m_column), unsigned(m_row), KXImage32::TilePointer(new KXImage32::Tile));
            }
            void* handle = m_image.DetachTile(unsigned(m_column), unsigned(m_row));
            m_memory.emplace(handle, true);
        }
        return reinterpret_cast<KXRGBA32i*>(m_memory->Bytes());
    }
    // The pixel at image coordinates (x, y), which must lie in this tile.
    KXRGBA32i* At(int x, int y) { return Pixels() + Offset(x, y); }
    // Its value before the tile was mapped (Rewrite), else the same as At().
    const KXRGBA32i* BeforeAt(int x, int y)
    {
        KXRGBA32i* pixel = At(x, y);
        return m_beforeMemory ? reinterpret_cast<const KXRGBA32i*>(m_beforeMemory->Bytes()) + Offset(x, y) : pixel;
    }
    bool IsMapped() const { return m_memory.has_value(); }

private:
    int Offset(int x, int y) const { return (y - m_row * Size) * Size + (x - m_column * Size); }

    KXImage32& m_image;
    int m_column;
    int m_row;
    Use m_use;
    std::optional<ZTTileMemory> m_memory;
    KXImage32::TilePointer m_before;
    std::optional<ZTTileMemory> m_beforeMemory; // released before m_before
};

// Replaces every tile of target by the tile at the same position in source
// (which has target's size) with perPixel applied to each of its pixels.
// Positions that share one tile (with the same valid area) share one result,
// so uniform images stay cheap. Pixels of border tiles beyond the image edge
// are copied unchanged.
template <class PerPixel>
void MapTiles(const KXImage32& source, KXImage32& target, PerPixel perPixel)
{
    using Key = std::tuple<const KXImage32::Tile*, int, int>;
    std::map<Key, KXImage32::TilePointer> done;
    const int width = int(source.GetWidth());
    const int height = int(source.GetHeight());
    for (int row = 0; row < int(source.GetRows()); ++row) {
        for (int column = 0; column < int(source.GetColumns()); ++column) {
            const KXImage32::Tile* tile = source.GetTile(unsigned(column), unsigned(row));
            const int validWidth = qMin(Size, width - column * Size);
            const int validHeight = qMin(Size, height - row * Size);
            auto found = done.find(Key(tile, validWidth, validHeight));
            if (found == done.end()) {
                KXImage32::TilePointer result(new KXImage32::Tile);
                ZTTileMemory from(tile->Handle(), false);
                ZTTileMemory to(result.constData()->Handle(), true);
                const KXRGBA32i* in = reinterpret_cast<const KXRGBA32i*>(from.Bytes());
                KXRGBA32i* out = reinterpret_cast<KXRGBA32i*>(to.Bytes());
                std::memcpy(out, in, ZTTileManager64::TileBytes);
                for (int y = 0; y < validHeight; ++y)
                    for (int x = 0; x < validWidth; ++x)
                        out[y * Size + x] = perPixel(in[y * Size + x]);
                found = done.emplace(Key(tile, validWidth, validHeight), result).first;
            }
            target.SetTile(unsigned(column), unsigned(row), found->second);
        }
    }
}

} // namespace KXTiles

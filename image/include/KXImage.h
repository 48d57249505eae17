#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QSharedData>
#include <QSharedDataPointer>
#include <QSize>
#include <QVector>

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>
#include <unordered_map>
#include <vector>

#include "KXErrorReport.h"
#include "KXRGBA32i.h"
#include "ZTCMSProfile.h"
#include "ZTEXIFElement.h"
#include "ZTTileManager64.h"
#include "vornimage_export.h"

template <class T, int W, int H>
class KXImage;

// Composites a rectangle of one image onto a rectangle of another (see KXImageOps.h).
VORNIMAGE_EXPORT bool BlendOn(const KXImage<KXRGBA32i, 128, 128>& source, const QRect& sourceRect, unsigned int mode,
                              KXImage<KXRGBA32i, 128, 128>& destination, const QRect& destinationRect,
                              double opacity, bool flag);

// One tile: a reference-counted handle of the tile manager. Copying a block
// (what QSharedDataPointer::detach does) makes a new tile with the same bytes.
// Owns its tile and hands it back to the manager when the last reference goes;
// the reference count is atomic, so references may live on any thread.
template <class T, int W, int H>
class DataBlock : public QSharedData
{
public:
    static constexpr int Bytes = W * H * int(sizeof(T));
    static_assert(Bytes == ZTTileManager64::TileBytes, "a tile is 64 KiB");

    DataBlock()
        : m_handle(ZTTileManager64::Instance()->MakeTile())
    {
    }
    // Takes over a tile made by the manager (for example a deferred one).
    explicit DataBlock(void* handle)
        : m_handle(handle)
    {
    }
    DataBlock(const DataBlock& other)
        : QSharedData()
        , m_handle(ZTTileManager64::Instance()->MakeTile())
    {
        ZTTileMemory to(m_handle, true);
        ZTTileMemory from(other.m_handle, false);
        std::memcpy(to.Bytes(), from.Bytes(), Bytes);
    }
    ~DataBlock() { ZTTileManager64::Instance()->CleanUpTile(m_handle); }
    DataBlock& operator=(const DataBlock&) = delete;

    void* Handle() const { return m_handle; }
    int RefCount() const { return ref.loadRelaxed(); }

private:
    void* m_handle;
};

// A raster of pixels T cut into W x H tiles that are shared copy-on-write
// between copies. Tile (column c, row r) is element r * columns + c. Pixels of
// border tiles beyond the image edge are transparent after Fill.
// Owns references to its tiles, each freed with its last one. Reentrant:
// separate images, even ones sharing tiles, may be used on different threads
// at once; one image used by several threads needs a lock (the layer locks).
template <class T, int W, int H>
class KXImage
{
public:
    using Tile = DataBlock<T, W, H>;
    using TilePointer = QSharedDataPointer<Tile>;
    static constexpr unsigned int TileWidth = W;
    static constexpr unsigned int TileHeight = H;
    static constexpr unsigned int RowBytes = W * sizeof(T);
    static constexpr quint64 MaxTiles = 1000000;

    // Throws std::bad_alloc when the size needs more than MaxTiles tiles.
    explicit KXImage(unsigned int width = 0, unsigned int height = 0)
        : m_columns(unsigned((quint64(width) + W - 1) / W))
        , m_rows(unsigned((quint64(height) + H - 1) / H))
        , m_width(width)
        , m_height(height)
    {
        if (quint64(m_columns) * m_rows > MaxTiles)
            throw std::bad_alloc();
        if (m_columns && m_rows) {
            m_tiles.resize(size_t(m_columns) * m_rows);
            Fill(T());
        }
    }
    KXImage(const KXImage& other) = default;
    KXImage(KXImage&& other) noexcept
        : m_tiles(std::move(other.m_tiles))
        , m_columns(other.m_columns)
        , m_rows(other.m_rows)
        , m_width(other.m_width)
        , m_height(other.m_height)
        , m_profile(std::move(other.m_profile))
        , m_reserved{other.m_reserved[0], other.m_reserved[1]}
        , m_exif(std::move(other.m_exif))
    {
        other.m_columns = other.m_rows = other.m_width = other.m_height = 0;
    }
    KXImage& operator=(const KXImage& other)
    {
        if (this != &other) {
            m_tiles = other.m_tiles;
            m_columns = other.m_columns;
            m_rows = other.m_rows;
            m_width = other.m_width;
            m_height = other.m_height;
            m_profile = other.m_profile;
            m_reserved[0] = other.m_reserved[0];
            m_reserved[1] = other.m_reserved[1];
            m_exif = other.m_exif;
        }
        return *this;
    }
    KXImage& operator=(KXImage&& other) noexcept
    {
        if (this != &other) {
            m_tiles = std::move(other.m_tiles);
            m_columns = other.m_columns;
            m_rows = other.m_rows;
            m_width = other.m_width;
            m_height = other.m_height;
            m_profile = std::move(other.m_profile);
            m_reserved[0] = other.m_reserved[0];
            m_reserved[1] = other.m_reserved[1];
            m_exif = std::move(other.m_exif);
            other.m_tiles.clear();
            other.m_columns = other.m_rows = other.m_width = other.m_height = 0;
        }
        return *this;
    }
    ~KXImage() = default;

    unsigned int GetWidth() const { return m_width; }
    unsigned int GetHeight() const { return m_height; }
    unsigned int GetColumns() const { return m_columns; }
    unsigned int GetRows() const { return m_rows; }
    QSize GetSize() const { return QSize(int(m_width), int(m_height)); }
    QRect GetRect() const { return QRect(0, 0, int(m_width), int(m_height)); }
    bool IsEmpty() const { return m_width == 0 || m_height == 0; }
    int TileCount() const { return int(m_tiles.size()); }

    const ZTCMSProfile& GetProfile() const { return m_profile; }
    void SetProfile(const ZTCMSProfile& profile) { m_profile = profile; }
    // Two values carried with the image for its owner; not interpreted here.
    quint32 GetReserved(int index) const { return m_reserved[index & 1]; }
    void SetReserved(int index, quint32 value) { m_reserved[index & 1] = value; }
    const QList<ZTEXIFElement>& GetEXIF() const { return m_exif; }
    void SetEXIF(const QList<ZTEXIFElement>& exif) { m_exif = exif; }

    // Every tile becomes one shared tile of the colour; the area of border
    // tiles beyond the image edge stays transparent. At most four distinct tiles.
    void Fill(const T& color)
    {
        if (m_width == 0 || m_height == 0)
            return;
        const unsigned int borderWidth = m_width % W;
        const unsigned int borderHeight = m_height % H;
        const unsigned int innerColumns = borderWidth ? m_columns - 1 : m_columns;
        const unsigned int innerRows = borderHeight ? m_rows - 1 : m_rows;
        if (innerColumns && innerRows) {
            const TilePointer whole = MakeBorderTile(W, H, color, color);
            for (unsigned int r = 0; r < innerRows; ++r)
                for (unsigned int c = 0; c < innerColumns; ++c)
                    m_tiles[int(r * m_columns + c)] = whole;
        }
        if (borderWidth && innerRows) {
            const TilePointer right = MakeBorderTile(borderWidth, H, color, T());
            for (unsigned int r = 0; r < innerRows; ++r)
                m_tiles[int(r * m_columns + m_columns - 1)] = right;
        }
        if (borderHeight && innerColumns) {
            const TilePointer bottom = MakeBorderTile(W, borderHeight, color, T());
            for (unsigned int c = 0; c < innerColumns; ++c)
                m_tiles[int((m_rows - 1) * m_columns + c)] = bottom;
        }
        if (borderWidth && borderHeight)
            m_tiles[int(m_columns * m_rows - 1)] = MakeBorderTile(borderWidth, borderHeight, color, T());
    }

    // One tile of the colour everywhere, the area beyond the image edge included.
    void FastFill(const T& color)
    {
        if (m_tiles.empty())
            return;
        const TilePointer tile = MakeBorderTile(W, H, color, color);
        for (TilePointer& each : m_tiles)
            each = tile;
    }

    // A new tile whose pixel (x, y) is inside when x < validWidth and
    // y < validHeight, else outside.
    TilePointer MakeBorderTile(unsigned int validWidth, unsigned int validHeight, T inside, T outside) const
    {
        TilePointer tile(new Tile);
        ZTTileMemory memory(tile.constData()->Handle(), true);
        T* pixels = reinterpret_cast<T*>(memory.Bytes());
        const unsigned int insideWidth = std::min<unsigned int>(validWidth, W);
        for (unsigned int y = 0; y < unsigned(H); ++y) {
            T* line = pixels + y * W;
            if (y < validHeight) {
                std::fill(line, line + insideWidth, inside);
                std::fill(line + insideWidth, line + W, outside);
            } else {
                std::fill(line, line + W, outside);
            }
        }
        return tile;
    }

    // A deep copy: no tile is shared with this image. Positions that share one
    // tile here share one new tile in the copy.
    KXImage Copy() const
    {
        try {
            KXImage copy(*this);
            std::unordered_map<const Tile*, TilePointer> copied;
            for (TilePointer& tile : copy.m_tiles) {
                const Tile* original = tile.constData();
                auto found = copied.find(original);
                if (found == copied.end())
                    found = copied.emplace(original, TilePointer(new Tile(*original))).first;
                tile = found->second;
            }
            return copy;
        } catch (const std::exception& exception) {
            VORN_REPORT_EXCEPTION(exception);
            throw;
        } catch (...) {
            VORN_REPORT_UNKNOWN_EXCEPTION();
            throw;
        }
    }

    // A copy of the part of the image inside rect (clipped to the image); the
    // whole image when the rectangle misses it or covers all of it.
    KXImage Copy(const QRect& rect) const
    {
        try {
            const QRect clip = rect & GetRect();
            if (clip.isEmpty() || clip == GetRect())
                return Copy();
            KXImage part(unsigned(clip.width()), unsigned(clip.height()));
            BlendOn(*this, rect, 3, part, part.GetRect(), 1.0, false);
            return part;
        } catch (const std::exception& exception) {
            VORN_REPORT_EXCEPTION(exception);
            throw;
        } catch (...) {
            VORN_REPORT_UNKNOWN_EXCEPTION();
            throw;
        }
    }

    // Copies byteCount bytes of row y from pixel x on, tile by tile, stopping
    // after the last tile column. Past the width the border pixels are read.
    bool ReadLine(unsigned int y, unsigned int x, unsigned char* buffer, unsigned int byteCount) const
    {
        if (y >= m_height || x >= m_width)
            return false;
        const unsigned int row = y / H;
        const unsigned int offsetInRow = (y % H) * RowBytes;
        unsigned int skip = (x % W) * sizeof(T);
        for (unsigned int column = x / W; byteCount > 0 && column < m_columns; ++column) {
            const Tile* tile = m_tiles.at(int(row * m_columns + column)).constData();
            if (!tile)
                return false;
            const unsigned int bytes = std::min(byteCount, RowBytes - skip);
            ZTTileMemory memory(tile->Handle(), false);
            std::memcpy(buffer, memory.Bytes() + offsetInRow + skip, bytes);
            buffer += bytes;
            byteCount -= bytes;
            skip = 0;
        }
        return true;
    }

    // The mirror of ReadLine; shared tiles are replaced by private copies first.
    bool WriteLine(unsigned int y, unsigned int x, const unsigned char* buffer, unsigned int byteCount)
    {
        if (y >= m_height || x >= m_width)
            return false;
        const unsigned int row = y / H;
        const unsigned int offsetInRow = (y % H) * RowBytes;
        unsigned int skip = (x % W) * sizeof(T);
        for (unsigned int column = x / W; byteCount > 0 && column < m_columns; ++column) {
            void* handle = DetachTile(column, row);
            if (!handle)
                return false;
            const unsigned int bytes = std::min(byteCount, RowBytes - skip);
            ZTTileMemory memory(handle, true);
            std::memcpy(memory.Bytes() + offsetInRow + skip, buffer, bytes);
            buffer += bytes;
            byteCount -= bytes;
            skip = 0;
        }
        return true;
    }

    // Single pixels (transparent, or false, outside the image).
    T GetPixel(unsigned int x, unsigned int y) const
    {
        T pixel;
        if (x < m_width && y < m_height)
            ReadLine(y, x, reinterpret_cast<unsigned char*>(&pixel), sizeof(T));
        return pixel;
    }
    bool SetPixel(unsigned int x, unsigned int y, const T& pixel)
    {
        return WriteLine(y, x, reinterpret_cast<const unsigned char*>(&pixel), sizeof(T));
    }

    // Tile access for the image library and the record format.
    const Tile* GetTile(unsigned int column, unsigned int row) const
    {
        if (column >= m_columns || row >= m_rows)
            return nullptr;
        return m_tiles.at(int(row * m_columns + column)).constData();
    }
    TilePointer GetSharedTile(unsigned int column, unsigned int row) const
    {
        if (column >= m_columns || row >= m_rows)
            return TilePointer();
        return m_tiles.at(int(row * m_columns + column));
    }
    bool SetTile(unsigned int column, unsigned int row, const TilePointer& tile)
    {
        if (column >= m_columns || row >= m_rows || !tile.constData())
            return false;
        m_tiles[int(row * m_columns + column)] = tile;
        return true;
    }
    bool IsTileShared(unsigned int column, unsigned int row) const
    {
        const Tile* tile = GetTile(column, row);
        return tile && tile->RefCount() != 1;
    }
    // Makes the tile private to this image (copy-on-write) and returns its handle.
    void* DetachTile(unsigned int column, unsigned int row)
    {
        if (column >= m_columns || row >= m_rows)
            return nullptr;
        TilePointer& tile = m_tiles[int(row * m_columns + column)];
        if (!tile.constData())
            return nullptr;
        tile.detach();
        return tile.constData()->Handle();
    }
    // How many different tiles the image holds.
    int DistinctTileCount() const
    {
        QVector<const Tile*> seen;
        seen.reserve(int(m_tiles.size()));
        for (const TilePointer& tile : m_tiles)
            seen.append(tile.constData());
        std::sort(seen.begin(), seen.end());
        return int(std::unique(seen.begin(), seen.end()) - seen.begin());
    }

    // True when both images have the same size and the same pixels inside it.
    bool IsPixelEqual(const KXImage& other) const
    {
        if (m_width != other.m_width || m_height != other.m_height)
            return false;
        for (unsigned int row = 0; row < m_rows; ++row) {
            const unsigned int lines = std::min<unsigned int>(H, m_height - row * H);
            for (unsigned int column = 0; column < m_columns; ++column) {
                const Tile* mine = GetTile(column, row);
                const Tile* theirs = other.GetTile(column, row);
                if (mine == theirs)
                    continue;
                const unsigned int bytes = std::min<unsigned int>(W, m_width - column * W) * sizeof(T);
                ZTTileMemory a(mine->Handle(), false);
                ZTTileMemory b(theirs->Handle(), false);
                for (unsigned int line = 0; line < lines; ++line)
                    if (std::memcmp(a.Bytes() + line * RowBytes, b.Bytes() + line * RowBytes, bytes) != 0)
                        return false;
            }
        }
        return true;
    }

    // Conversions to and from QImage::Format_RGBA8888, whose bytes are the pixels'.
    QImage ToQImage() const
    {
        QImage image(int(m_width), int(m_height), QImage::Format_RGBA8888);
        if (image.isNull())
            return QImage();
        for (unsigned int y = 0; y < m_height; ++y)
            ReadLine(y, 0, image.scanLine(int(y)), m_width * sizeof(T));
        return image;
    }
    static KXImage FromQImage(const QImage& source)
    {
        const QImage image = source.convertToFormat(QImage::Format_RGBA8888);
        KXImage result(unsigned(image.width()), unsigned(image.height()));
        for (unsigned int y = 0; y < result.m_height; ++y)
            result.WriteLine(y, 0, image.constScanLine(int(y)), result.m_width * sizeof(T));
        return result;
    }

private:
    std::vector<TilePointer> m_tiles; // copies hold their own references
    unsigned int m_columns = 0;
    unsigned int m_rows = 0;
    unsigned int m_width = 0;
    unsigned int m_height = 0;
    ZTCMSProfile m_profile;
    quint32 m_reserved[2] = {0, 0};
    QList<ZTEXIFElement> m_exif;
};

using KXImage32 = KXImage<KXRGBA32i, 128, 128>;

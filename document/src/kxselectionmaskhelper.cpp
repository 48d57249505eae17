#include "KXSelectionMaskHelper.h"

#include <QHash>

namespace {

// The bounds, inside the tile, of the pixels with alpha != 0 among the first
// width x height pixels; null when there are none.
QRect TileBounds(const KXImage32::Tile* tile, int width, int height)
{
    ZTTileMemory memory(tile->Handle(), false);
    const KXRGBA32i* pixels = reinterpret_cast<const KXRGBA32i*>(memory.Bytes());
    int left = width;
    int right = -1;
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < height; ++y) {
        const KXRGBA32i* line = pixels + y * int(KXImage32::TileWidth);
        int first = 0;
        while (first < width && line[first].a == 0)
            ++first;
        if (first == width)
            continue;
        int last = width - 1;
        while (line[last].a == 0)
            --last;
        left = qMin(left, first);
        right = qMax(right, last);
        if (top < 0)
            top = y;
        bottom = y;
    }
    if (top < 0)
        return QRect();
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

struct TileKey
{
    const KXImage32::Tile* tile;
    int width;
    int height;
    bool operator==(const TileKey& other) const
    {
        return tile == other.tile && width == other.width && height == other.height;
    }
};

uint qHash(const TileKey& key, uint seed = 0)
{
    return ::qHash(quintptr(key.tile), seed) ^ uint(key.width * 131 + key.height);
}

} // namespace

QRect KXSelectionMaskHelper::GetSelectionBoundRect(const KXImage32& mask)
{
    const int tileWidth = int(KXImage32::TileWidth);
    const int tileHeight = int(KXImage32::TileHeight);
    const int width = int(mask.GetWidth());
    const int height = int(mask.GetHeight());
    QHash<TileKey, QRect> scanned;
    QRect bounds;
    for (unsigned int row = 0; row < mask.GetRows(); ++row) {
        for (unsigned int column = 0; column < mask.GetColumns(); ++column) {
            const KXImage32::Tile* tile = mask.GetTile(column, row);
            if (!tile)
                continue;
            const QPoint origin(int(column) * tileWidth, int(row) * tileHeight);
            const TileKey key{tile, qMin(tileWidth, width - origin.x()), qMin(tileHeight, height - origin.y())};
            auto found = scanned.constFind(key);
            if (found == scanned.constEnd())
                found = scanned.insert(key, TileBounds(tile, key.width, key.height));
            if (!found->isNull())
                bounds |= found->translated(origin);
        }
    }
    return bounds;
}

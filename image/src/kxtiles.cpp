#include "kxtiles_p.h"

namespace KXTiles {

ReadCache::ReadCache(const KXImage32& image)
    : m_image(image)
{
}

ReadCache::~ReadCache()
{
    for (const Slot& slot : m_slots)
        if (slot.handle)
            ZTTileManager64::Instance()->FreeMemory(slot.handle);
}

const KXRGBA32i* ReadCache::Tile(int column, int row)
{
    const KXImage32::Tile* tile = m_image.GetTile(unsigned(column), unsigned(row));
    if (column < 0 || row < 0 || !tile)
        return nullptr;
    const qint64 index = qint64(row) * m_image.GetColumns() + column;
    Slot& slot = m_slots[(column + row * 5) & (Slots - 1)];
    if (slot.index != index) {
        if (slot.handle)
            ZTTileManager64::Instance()->FreeMemory(slot.handle);
        slot.index = index;
        slot.handle = tile->Handle();
        slot.pixels = reinterpret_cast<const KXRGBA32i*>(ZTTileManager64::Instance()->GetMemory(slot.handle, false));
        if (!slot.pixels) {
            slot.index = -1;
            slot.handle = nullptr;
        }
    }
    return slot.pixels;
}

void ReadPixels(ReadCache& cache, const QRect& valid, int x, int y, int count, KXRGBA32i* out)
{
    if (y < valid.top() || y > valid.bottom() || x > valid.right() || x + count <= valid.left()) {
        std::fill(out, out + count, KXRGBA32i());
        return;
    }
    const int before = qMax(0, valid.left() - x);
    const int after = qMax(0, x + count - 1 - valid.right());
    std::fill(out, out + before, KXRGBA32i());
    std::fill(out + count - after, out + count, KXRGBA32i());
    const int row = y / Size;
    const int offsetInTile = (y % Size) * Size;
    for (int from = x + before, end = x + count - after; from < end;) {
        const int column = from / Size;
        const int run = qMin(end, (column + 1) * Size) - from;
        const KXRGBA32i* tile = cache.Tile(column, row);
        KXRGBA32i* target = out + (from - x);
        if (tile)
            std::memcpy(target, tile + offsetInTile + from % Size, size_t(run) * sizeof(KXRGBA32i));
        else
            std::fill(target, target + run, KXRGBA32i());
        from += run;
    }
}

} // namespace KXTiles

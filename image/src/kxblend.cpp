#include "KXImageOps.h"


namespace {

constexpr unsigned int kTileSize = 128;

// The part of the source that lands inside the destination, in source
// coordinates, and the offset from source to destination coordinates.
bool MapRectangles(const KXImage32& source, const QRect& sourceRect, const KXImage32& destination,
                   const QRect& destinationRect, QRect* area, QPoint* delta)
{
    QRect from = sourceRect;
    if (sourceRect.size() != destinationRect.size())
        from = sourceRect & source.GetRect();
    *delta = destinationRect.topLeft() - from.topLeft();
    *area = from & source.GetRect() & (destinationRect & destination.GetRect()).translated(-*delta);
    return !area->isEmpty();
}

// Shares whole aligned source tiles into the destination where the area covers
// a destination tile completely; returns true for the tiles it handled.
bool ShareTile(const KXImage32& source, KXImage32& destination, const QRect& destinationArea,
               const QPoint& delta, unsigned int column, unsigned int row)
{
    const QRect tileRect(int(column * kTileSize), int(row * kTileSize), kTileSize, kTileSize);
    if ((delta.x() % int(kTileSize)) != 0 || (delta.y() % int(kTileSize)) != 0)
        return false;
    if (!destinationArea.contains(tileRect))
        return false;
    const QPoint from = tileRect.topLeft() - delta;
    return destination.SetTile(column, row, source.GetSharedTile(unsigned(from.x()) / kTileSize,
                                                                 unsigned(from.y()) / kTileSize));
}

bool ReplaceRegion(const KXImage32& source, KXImage32& destination, const QRect& area, const QPoint& delta)
{
    const QRect destinationArea = area.translated(delta);
    const unsigned int firstColumn = unsigned(destinationArea.left()) / kTileSize;
    const unsigned int lastColumn = unsigned(destinationArea.right()) / kTileSize;
    const unsigned int firstRow = unsigned(destinationArea.top()) / kTileSize;
    const unsigned int lastRow = unsigned(destinationArea.bottom()) / kTileSize;
    for (unsigned int row = firstRow; row <= lastRow; ++row) {
        for (unsigned int column = firstColumn; column <= lastColumn; ++column) {
            if (ShareTile(source, destination, destinationArea, delta, column, row))
                continue;
            const QRect part = destinationArea
                & QRect(int(column * kTileSize), int(row * kTileSize), kTileSize, kTileSize);
            const unsigned int bytes = unsigned(part.width()) * sizeof(KXRGBA32i);
            unsigned char line[kTileSize * sizeof(KXRGBA32i)];
            for (int y = part.top(); y <= part.bottom(); ++y) {
                source.ReadLine(unsigned(y - delta.y()), unsigned(part.left() - delta.x()), line, bytes);
                destination.WriteLine(unsigned(y), unsigned(part.left()), line, bytes);
            }
        }
    }
    return true;
}

} // namespace

bool BlendOn(const KXImage32& source, const QRect& sourceRect, unsigned int mode, KXImage32& destination,
             const QRect& destinationRect, double opacity, bool /*flag*/)
{
    QRect area;
    QPoint delta;
    if (!MapRectangles(source, sourceRect, destination, destinationRect, &area, &delta))
        return false;
    if (mode == 3 && opacity >= 1.0) {
        if (&source == &destination) {
            const KXImage32 copy(source); // shares tiles: reads stay valid while writing
            return ReplaceRegion(copy, destination, area, delta);
        }
        return ReplaceRegion(source, destination, area, delta);
    }
    return false;
}

#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include "KXDocumentInterface.h"
#include "KXImage.h"

// Checks for rectangles and points read from records before commands do
// arithmetic on them. A record may hold anything; QRect and QPoint arithmetic
// on such values overflows int. Every coordinate a command accepts lies
// within kMaxCoordinate, so sums, differences, unions and sizes of two such
// values always fit an int.
namespace CheckedGeometry {

// Far beyond any layer position a document can hold, far below INT_MAX / 4.
constexpr int kMaxCoordinate = 4 * KXDocumentInterface::MAX_DOC_DIMENSION;

inline bool IsPlaceable(int value)
{
    return value >= -kMaxCoordinate && value <= kMaxCoordinate;
}

inline bool IsPlaceable(const QPoint& point)
{
    return IsPlaceable(point.x()) && IsPlaceable(point.y());
}

// Both corners placeable (a null or empty rectangle qualifies when they are).
inline bool IsPlaceable(const QRect& rect)
{
    return IsPlaceable(rect.topLeft()) && IsPlaceable(rect.bottomRight());
}

// A size an image can have: neither side negative nor above MAX_DOC_DIMENSION.
inline bool FitsDocument(const QSize& size)
{
    return size.width() >= 0 && size.height() >= 0 && size.width() <= KXDocumentInterface::MAX_DOC_DIMENSION
        && size.height() <= KXDocumentInterface::MAX_DOC_DIMENSION;
}

// A size a tiled image can be made with: it fits a document and needs no more
// than KXImage's tile limit (a larger one would throw std::bad_alloc).
inline bool FitsImage(const QSize& size)
{
    if (!FitsDocument(size))
        return false;
    const quint64 columns = (quint64(size.width()) + KXImage32::TileWidth - 1) / KXImage32::TileWidth;
    const quint64 rows = (quint64(size.height()) + KXImage32::TileHeight - 1) / KXImage32::TileHeight;
    return columns * rows <= KXImage32::MaxTiles;
}

// The rectangle of size at a position; false, rect untouched, when either
// would leave the placeable range.
inline bool PlacedRect(const QPoint& at, const QSize& size, QRect& rect)
{
    if (!IsPlaceable(at) || !FitsDocument(size))
        return false;
    rect = QRect(at, size);
    return IsPlaceable(rect);
}

// True when every rectangle is placeable.
template <class... Rects>
bool ArePlaceable(const Rects&... rects)
{
    return (IsPlaceable(rects) && ...);
}

} // namespace CheckedGeometry

#include "KXImageOps.h"

#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <cmath>
#include <map>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "kxblendmodes_p.h"
#include "kxtiles_p.h"

namespace {

using KXTiles::Size;

// One Sutherland-Hodgman step: keeps the part of a closed polygon on the inside
// of one edge.
template <class Inside, class Cross>
QPolygonF ClipEdge(const QPolygonF& polygon, Inside inside, Cross cross)
{
    QPolygonF result;
    if (polygon.isEmpty())
        return result;
    QPointF previous = polygon.last();
    bool previousInside = inside(previous);
    for (const QPointF& point : polygon) {
        const bool pointInside = inside(point);
        if (pointInside != previousInside)
            result << cross(previous, point);
        if (pointInside)
            result << point;
        previous = point;
        previousInside = pointInside;
    }
    return result;
}

// Clips a closed polygon to a rectangle. Inside the rectangle the winding
// numbers stay those of the original polygon, so filling the clipped polygons
// with the path's fill rule gives the same pixels there; the rasteriser only
// ever sees coordinates near the tile, however far the path reaches.
QPolygonF ClipToRect(const QPolygonF& polygon, const QRectF& rect)
{
    const auto atX = [](const QPointF& a, const QPointF& b, qreal x) {
        return QPointF(x, a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x()));
    };
    const auto atY = [](const QPointF& a, const QPointF& b, qreal y) {
        return QPointF(a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y()), y);
    };
    const qreal left = rect.left();
    const qreal right = rect.right();
    const qreal top = rect.top();
    const qreal bottom = rect.bottom();
    QPolygonF clipped = ClipEdge(
        polygon, [&](const QPointF& p) { return p.x() >= left; },
        [&](const QPointF& a, const QPointF& b) { return atX(a, b, left); });
    clipped = ClipEdge(
        clipped, [&](const QPointF& p) { return p.x() <= right; },
        [&](const QPointF& a, const QPointF& b) { return atX(a, b, right); });
    clipped = ClipEdge(
        clipped, [&](const QPointF& p) { return p.y() >= top; },
        [&](const QPointF& a, const QPointF& b) { return atY(a, b, top); });
    return ClipEdge(
        clipped, [&](const QPointF& p) { return p.y() <= bottom; },
        [&](const QPointF& a, const QPointF& b) { return atY(a, b, bottom); });
}

KXRGBA32i PixelOf(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return KXRGBA32i(quint8(rgb.red()), quint8(rgb.green()), quint8(rgb.blue()), quint8(rgb.alpha()));
}

} // namespace

bool FillPath(KXImage32& image, int mode, const QPainterPath& path, const QBrush& brush, bool /*flag*/)
{
    if (image.IsEmpty() || path.isEmpty() || brush.style() == Qt::NoBrush)
        return false;
    // Intersect in floating point first: the path may lie far beyond int range.
    const QRectF reach = path.controlPointRect() & QRectF(image.GetRect());
    const QRect area = reach.toAlignedRect() & image.GetRect();
    if (reach.isEmpty() || area.isEmpty())
        return false;

    const KXBlend::Kind kind = KXBlend::KindOf(unsigned(mode));
    const bool solid = brush.style() == Qt::SolidPattern;
    const KXRGBA32i color = PixelOf(brush.color());
    const std::vector<KXRGBA32i> solidRow(Size, color);
    KXImage32::TilePointer uniformTile;
    // Keyed by the replaced tile and the part; the value keeps that tile alive
    // (so its address stays unique) beside the result.
    using PartKey = std::tuple<const KXImage32::Tile*, int, int, int, int>;
    std::map<PartKey, std::pair<KXImage32::TilePointer, KXImage32::TilePointer>> fullParts;
    QImage coverage(Size, Size, QImage::Format_Alpha8);
    QImage colors;

    // Qt's rasteriser is exact for coordinates of moderate size, so the path
    // is drawn as it is, moved to each tile. A path reaching very far beyond
    // a tile is flattened and cut to the tile first (exact inside it up to the
    // rasteriser's precision on the cut points).
    const QRectF bounds = path.controlPointRect();
    constexpr qreal kDirectLimit = 1 << 20;
    QList<QPolygonF> polygons;
    QVector<QRectF> polygonBounds;
    const auto cutToTile = [&](const QRect& tileRect) {
        if (polygons.isEmpty()) {
            polygons = path.toSubpathPolygons();
            for (const QPolygonF& polygon : polygons)
                polygonBounds.append(polygon.boundingRect());
        }
        const QRectF clipRect = QRectF(tileRect).adjusted(-1, -1, 1, 1);
        QPainterPath cut;
        cut.setFillRule(path.fillRule());
        for (int i = 0; i < polygons.size(); ++i) {
            if (!polygonBounds.at(i).intersects(clipRect))
                continue;
            const QPolygonF piece = ClipToRect(polygons.at(i), clipRect);
            if (piece.size() >= 3) {
                cut.addPolygon(piece);
                cut.closeSubpath();
            }
        }
        return cut;
    };

    KXTiles::ForEachTile(area, [&](int column, int row, const QRect& part) {
        const QRect tileRect = KXTiles::TileRect(column, row);
        const QRectF local = bounds.translated(-tileRect.topLeft());
        const bool direct = std::max({ std::fabs(local.left()), std::fabs(local.right()), std::fabs(local.top()),
                                       std::fabs(local.bottom()) })
            < kDirectLimit;
        const QPainterPath cut = direct ? QPainterPath() : cutToTile(tileRect);
        if (!direct && cut.isEmpty())
            return;
        coverage.fill(0);
        {
            QPainter painter(&coverage);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(Qt::NoPen);
            painter.setBrush(Qt::black);
            painter.translate(-tileRect.topLeft());
            painter.drawPath(direct ? path : cut);
        }
        const QPoint inTile = part.topLeft() - tileRect.topLeft();
        int covered = 0;
        for (int y = 0; y < part.height(); ++y) {
            const uchar* line = coverage.constScanLine(inTile.y() + y) + inTile.x();
            covered += int(std::count(line, line + part.width(), uchar(255)));
        }
        if (covered == 0)
            return;
        const bool fullPart = kind == KXBlend::Kind::Replace && solid && covered == part.width() * part.height();
        if (fullPart && covered == Size * Size) {
            if (!uniformTile.constData())
                uniformTile = image.MakeBorderTile(Size, Size, color, color);
            image.SetTile(unsigned(column), unsigned(row), uniformTile);
            return;
        }
        // A shared tile whose part is painted whole gives the same result
        // wherever it stands with the same part (the border tiles of a filled
        // image, say): one new tile serves them all.
        std::optional<PartKey> key;
        KXImage32::TilePointer old;
        if (fullPart && image.IsTileShared(unsigned(column), unsigned(row))) {
            old = image.GetSharedTile(unsigned(column), unsigned(row));
            key = PartKey(old.constData(), inTile.x(), inTile.y(), part.width(), part.height());
            const auto found = fullParts.find(*key);
            if (found != fullParts.end()) {
                image.SetTile(unsigned(column), unsigned(row), found->second.second);
                return;
            }
        }
        if (!solid) {
            colors = QImage(Size, Size, QImage::Format_RGBA8888);
            colors.fill(Qt::transparent);
            QPainter painter(&colors);
            painter.translate(-tileRect.topLeft());
            painter.fillRect(tileRect, brush);
        }
        KXTiles::WriteTile tile(image, column, row);
        for (int y = 0; y < part.height(); ++y) {
            const uchar* line = coverage.constScanLine(inTile.y() + y) + inTile.x();
            if (std::find(line, line + part.width(), uchar(255)) == line + part.width())
                continue;
            const KXRGBA32i* source = solid
                ? solidRow.data()
                : reinterpret_cast<const KXRGBA32i*>(colors.constScanLine(inTile.y() + y)) + inTile.x();
            KXRGBA32i* pixels = tile.At(part.left(), part.top() + y);
            KXBlend::BlendRow(kind, source, pixels, pixels, part.width(), 1.0f, line);
        }
        if (key)
            fullParts.emplace(*key, std::make_pair(old, image.GetSharedTile(unsigned(column), unsigned(row))));
    });
    return true;
}

#include "KXImageOps.h"

#include <QImage>
#include <QPainter>
#include <QPolygonF>

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

    const QList<QPolygonF> polygons = path.toSubpathPolygons();
    QVector<QRectF> polygonBounds;
    polygonBounds.reserve(polygons.size());
    for (const QPolygonF& polygon : polygons)
        polygonBounds.append(polygon.boundingRect());

    const KXBlend::Kind kind = KXBlend::KindOf(unsigned(mode));
    const bool solid = brush.style() == Qt::SolidPattern;
    const KXRGBA32i color = PixelOf(brush.color());
    const std::vector<KXRGBA32i> solidRow(Size, color);
    KXImage32::TilePointer uniformTile;
    QImage coverage(Size, Size, QImage::Format_Alpha8);
    QImage colors;

    KXTiles::ForEachTile(area, [&](int column, int row, const QRect& part) {
        const QRect tileRect = KXTiles::TileRect(column, row);
        const QRectF clipRect = QRectF(tileRect).adjusted(-1, -1, 1, 1);
        QPainterPath clipped;
        clipped.setFillRule(path.fillRule());
        for (int i = 0; i < polygons.size(); ++i) {
            if (!polygonBounds.at(i).intersects(clipRect))
                continue;
            const QPolygonF piece = ClipToRect(polygons.at(i), clipRect);
            if (piece.size() >= 3) {
                clipped.addPolygon(piece);
                clipped.closeSubpath();
            }
        }
        if (clipped.isEmpty())
            return;
        coverage.fill(0);
        {
            QPainter painter(&coverage);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(Qt::NoPen);
            painter.setBrush(Qt::black);
            painter.translate(-tileRect.topLeft());
            painter.drawPath(clipped);
        }
        const QPoint inTile = part.topLeft() - tileRect.topLeft();
        int covered = 0;
        for (int y = 0; y < part.height(); ++y) {
            const uchar* line = coverage.constScanLine(inTile.y() + y) + inTile.x();
            covered += int(std::count(line, line + part.width(), uchar(255)));
        }
        if (covered == 0)
            return;
        if (kind == KXBlend::Kind::Replace && solid && covered == Size * Size) {
            if (!uniformTile.constData())
                uniformTile = image.MakeBorderTile(Size, Size, color, color);
            image.SetTile(unsigned(column), unsigned(row), uniformTile);
            return;
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
            KXBlend::BlendRow(kind, source, tile.At(part.left(), part.top() + y), part.width(), 1.0f, line);
        }
    });
    return true;
}

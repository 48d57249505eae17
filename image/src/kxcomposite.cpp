#include "kxcomposite_p.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "kxblendmodes_p.h"
#include "kxtiles_p.h"

namespace KXComposite {

namespace {

using KXTiles::Size;

// Where the pixels of one image's rectangle land in the destination: valid is
// the part of the image that takes part (in image coordinates), delta moves
// it into destination coordinates.
struct Mapping
{
    QRect valid;
    QPoint delta;
};

Mapping Shifted(const QRect& valid, qint64 dx, qint64 dy)
{
    // Images are far smaller than this: such a shift lands nowhere.
    const qint64 far = qint64(1) << 30;
    if (dx <= -far || dx >= far || dy <= -far || dy >= far)
        return Mapping { QRect(), QPoint() };
    return Mapping { valid, QPoint(int(dx), int(dy)) };
}

// The source rectangle onto the destination rectangle.
Mapping MapOnto(const QRect& imageRect, const QRect& rect, const QRect& destinationRect)
{
    const QRect from = rect.size() == destinationRect.size() ? rect : rect & imageRect;
    return Shifted(from & imageRect, qint64(destinationRect.left()) - from.left(),
                   qint64(destinationRect.top()) - from.top());
}

// Where along one axis mask pixel 0 lies in the destination, for a mask of
// the given length placed on [first, last] of a destination of the given
// length: at first, unless the span was cut at the destination's start.
qint64 MaskOrigin(int first, int last, int maskLength, int destinationLength)
{
    const bool cutAtStart = qint64(last) - first + 1 < maskLength && first <= 0 && last < destinationLength - 1;
    return cutAtStart ? qint64(last) + 1 - maskLength : first;
}

// The mask image placed on maskRect in destination coordinates.
Mapping PlaceMask(const KXImage32& mask, const QRect& maskRect, const KXImage32& destination)
{
    const qint64 x = MaskOrigin(maskRect.left(), maskRect.right(), int(mask.GetWidth()), int(destination.GetWidth()));
    const qint64 y = MaskOrigin(maskRect.top(), maskRect.bottom(), int(mask.GetHeight()), int(destination.GetHeight()));
    const Mapping placed = Shifted(mask.GetRect(), x, y);
    return Mapping { placed.valid & maskRect.translated(-placed.delta), placed.delta };
}

bool IsTileAligned(const QPoint& delta)
{
    return delta.x() % Size == 0 && delta.y() % Size == 0;
}

} // namespace

bool Composite(const KXImage32& source, const QRect& sourceRect, unsigned int mode, KXImage32& destination,
               const QRect& destinationRect, double opacity, const Mask* mask)
{
    const KXBlend::Kind kind = KXBlend::KindOf(mode);
    const QRect target = destinationRect & destination.GetRect();
    const Mapping sourceMapping = MapOnto(source.GetRect(), sourceRect, destinationRect);
    // The intersection modes clear what the source does not reach, so they
    // visit the whole destination rectangle.
    QRect region = kind == KXBlend::Kind::SelectIntersect ? target
                                                          : target & sourceMapping.valid.translated(sourceMapping.delta);
    Mapping maskMapping;
    if (mask) {
        maskMapping = PlaceMask(*mask->image, mask->rect, destination);
        region &= maskMapping.valid.translated(maskMapping.delta);
    }
    if (region.isEmpty())
        return false;
    const float strength = opacity > 0.0 ? float(std::min(opacity, 1.0)) : 0.0f;
    if (strength <= 0.0f)
        return true;

    // Reading from the image being written: read through a copy that keeps
    // the original tiles while the destination detaches its own.
    std::optional<KXImage32> sourceCopy;
    std::optional<KXImage32> maskCopy;
    const KXImage32& from = &source == &destination ? sourceCopy.emplace(source) : source;
    const KXImage32* maskImage = nullptr;
    if (mask)
        maskImage = mask->image == &destination ? &maskCopy.emplace(*mask->image) : mask->image;

    KXTiles::ReadCache sourceTiles(from);
    std::optional<KXTiles::ReadCache> maskTiles;
    if (maskImage)
        maskTiles.emplace(*maskImage);
    const bool copyPixels = kind == KXBlend::Kind::Replace && strength >= 1.0f && !mask;
    const bool shareTiles = copyPixels && IsTileAligned(sourceMapping.delta);
    std::vector<KXRGBA32i> block;
    std::vector<KXRGBA32i> maskLine;
    std::vector<quint8> coverage;
    if (!copyPixels)
        block.resize(Size * Size);
    if (mask) {
        maskLine.resize(Size);
        coverage.resize(Size * Size);
    }

    KXTiles::ForEachTile(region, [&](int column, int row, const QRect& part) {
        const QPoint& delta = sourceMapping.delta;
        const bool whole = part == KXTiles::TileRect(column, row);
        if (shareTiles && whole) {
            const QPoint at = part.topLeft() - delta;
            destination.SetTile(unsigned(column), unsigned(row), from.GetSharedTile(unsigned(at.x() / Size),
                                                                                     unsigned(at.y() / Size)));
            return;
        }
        // A whole tile is overwritten by a copy, or rewritten from its old pixels by a blend.
        const KXTiles::WriteTile::Use use = !whole ? KXTiles::WriteTile::Modify
            : copyPixels                           ? KXTiles::WriteTile::OverwriteAll
                                                   : KXTiles::WriteTile::Rewrite;
        KXTiles::WriteTile tile(destination, column, row, use);
        const int width = part.width();
        if (copyPixels) {
            for (int y = part.top(); y <= part.bottom(); ++y)
                KXTiles::ReadPixels(sourceTiles, sourceMapping.valid, part.left() - delta.x(), y - delta.y(), width,
                                    tile.At(part.left(), y));
            return;
        }
        const int height = part.height();
        // The source lines: read in place when the part's source lies inside
        // one source tile, else gathered into the block.
        const QRect from = part.translated(-delta);
        const KXRGBA32i* sourceTile = nullptr;
        if (sourceMapping.valid.contains(from) && from.left() / Size == from.right() / Size
            && from.top() / Size == from.bottom() / Size)
            sourceTile = sourceTiles.Tile(from.left() / Size, from.top() / Size);
        const KXRGBA32i* firstLine = sourceTile ? sourceTile + (from.top() % Size) * Size + from.left() % Size
                                                : block.data();
        const int stride = sourceTile ? Size : width;
        if (!sourceTile) {
            for (int line = 0; line < height; ++line)
                KXTiles::ReadPixels(sourceTiles, sourceMapping.valid, from.left(), from.top() + line, width,
                                    block.data() + line * width);
        }
        if (KXBlend::TransparentSourceIsNoOp(kind)) {
            bool transparent = true;
            for (int line = 0; line < height && transparent; ++line) {
                const KXRGBA32i* pixels = firstLine + line * stride;
                transparent = std::all_of(pixels, pixels + width, [](const KXRGBA32i& pixel) { return pixel.a == 0; });
            }
            if (transparent)
                return;
        }
        if (mask) {
            const QPoint& maskDelta = maskMapping.delta;
            for (int line = 0; line < height; ++line) {
                KXTiles::ReadPixels(*maskTiles, maskMapping.valid, part.left() - maskDelta.x(),
                                    part.top() + line - maskDelta.y(), width, maskLine.data());
                for (int x = 0; x < width; ++x)
                    coverage[size_t(line * width + x)] = KXBlend::MaskCoverage(maskLine[size_t(x)], mask->greyscale);
            }
            if (std::all_of(coverage.data(), coverage.data() + width * height, [](quint8 value) { return value == 0; }))
                return;
        }
        for (int line = 0; line < height; ++line) {
            const int y = part.top() + line;
            KXBlend::BlendRow(kind, firstLine + line * stride, tile.BeforeAt(part.left(), y), tile.At(part.left(), y),
                              width, strength, mask ? coverage.data() + line * width : nullptr);
        }
    });
    return true;
}

} // namespace KXComposite

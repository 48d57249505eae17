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

Mapping MapOnto(const QRect& imageRect, const QRect& rect, const QRect& destinationRect)
{
    const QRect from = rect.size() == destinationRect.size() ? rect : rect & imageRect;
    return Mapping { from & imageRect, destinationRect.topLeft() - from.topLeft() };
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
        maskMapping = MapOnto(mask->image->GetRect(), mask->rect, destinationRect);
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
        KXTiles::WriteTile tile(destination, column, row,
                                copyPixels && whole ? KXTiles::WriteTile::OverwriteAll : KXTiles::WriteTile::Modify);
        const int width = part.width();
        if (copyPixels) {
            for (int y = part.top(); y <= part.bottom(); ++y)
                KXTiles::ReadPixels(sourceTiles, sourceMapping.valid, part.left() - delta.x(), y - delta.y(), width,
                                    tile.At(part.left(), y));
            return;
        }
        const int height = part.height();
        for (int line = 0; line < height; ++line)
            KXTiles::ReadPixels(sourceTiles, sourceMapping.valid, part.left() - delta.x(),
                                part.top() + line - delta.y(), width, block.data() + line * width);
        const KXRGBA32i* blockBegin = block.data();
        const KXRGBA32i* blockEnd = blockBegin + width * height;
        if (KXBlend::TransparentSourceIsNoOp(kind)
            && std::all_of(blockBegin, blockEnd, [](const KXRGBA32i& pixel) { return pixel.a == 0; }))
            return;
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
        for (int line = 0; line < height; ++line)
            KXBlend::BlendRow(kind, block.data() + line * width, tile.At(part.left(), part.top() + line), width,
                              strength, mask ? coverage.data() + line * width : nullptr);
    });
    return true;
}

} // namespace KXComposite

#include "KXImageOps.h"

#include "kxblendmodes_p.h"
#include "kxtiles_p.h"

namespace {

KXRGBA32i Grey(quint8 value)
{
    return KXRGBA32i(value, value, value, 255);
}

// mask becomes a plain image of the source's size (no profile, EXIF or
// reserved values), tile for tile perPixel of the source.
template <class PerPixel>
bool BuildMask(KXImage32& mask, const KXImage32& source, PerPixel perPixel)
{
    if (source.IsEmpty()) {
        mask = KXImage32();
        return false;
    }
    KXImage32 result(source.GetWidth(), source.GetHeight());
    KXTiles::MapTiles(source, result, perPixel);
    mask = std::move(result);
    return true;
}

bool BuildUniformMask(KXImage32& mask, const KXImage32& source, const KXRGBA32i& pixel)
{
    if (source.IsEmpty()) {
        mask = KXImage32();
        return false;
    }
    KXImage32 result(source.GetWidth(), source.GetHeight());
    result.FastFill(pixel);
    mask = std::move(result);
    return true;
}

} // namespace

bool InvertImage(KXImage32& image, unsigned int what)
{
    const KXImage32 original(image); // keeps the original tiles while they are replaced
    switch (what) {
    case KXInvertColor:
        KXTiles::MapTiles(original, image, [](const KXRGBA32i& pixel) {
            return KXRGBA32i(quint8(255 - pixel.r), quint8(255 - pixel.g), quint8(255 - pixel.b), pixel.a);
        });
        break;
    case KXInvertSelection:
        KXTiles::MapTiles(original, image,
                          [](const KXRGBA32i& pixel) { return KXRGBA32i(0, 0, 0, quint8(255 - pixel.a)); });
        break;
    case KXInvertLayerMask:
        KXTiles::MapTiles(original, image, [](const KXRGBA32i& pixel) {
            return Grey(quint8(255 - KXBlend::MaskCoverage(pixel, true)));
        });
        break;
    default:
        return false;
    }
    return !image.IsEmpty();
}

bool CreateHideAllMask(KXImage32& mask, const KXImage32& source)
{
    return BuildUniformMask(mask, source, KXRGBA32i::OpaqueBlack());
}

bool CreateRevealAllMask(KXImage32& mask, const KXImage32& source)
{
    return BuildUniformMask(mask, source, KXRGBA32i::OpaqueWhite());
}

bool CreateFromSourceMask(KXImage32& mask, const KXImage32& source)
{
    return BuildMask(mask, source, [](const KXRGBA32i& pixel) { return Grey(KXBlend::MaskCoverage(pixel, true)); });
}

bool CreateFromTransparancyMask(KXImage32& mask, const KXImage32& source)
{
    return BuildMask(mask, source, [](const KXRGBA32i& pixel) { return Grey(pixel.a); });
}

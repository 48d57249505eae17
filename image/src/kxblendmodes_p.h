#pragma once

// The per-pixel compositing rules behind BlendOn, BlendMaskOn, DrawImage and
// FillPath. Pixels are non-premultiplied RGBA; the arithmetic is done on
// channels scaled to 0..1 and rounded to the nearest byte at the end.

#include "KXRGBA32i.h"

namespace KXBlend {

enum class Kind
{
    Normal,
    Replace,
    Multiply,
    Screen,
    Overlay,
    Darken,
    Lighten,
    ColorDodge,
    ColorBurn,
    HardLight,
    SoftLight,
    Difference,
    Exclusion,
    LinearDodge,
    LinearBurn,
    SelectIntersect,
    SelectUnion,
    SelectSubtract,
};

// The rule of a mode number (KXBlendMode); unknown numbers blend as Normal.
Kind KindOf(unsigned int mode);

// True when a transparent source pixel leaves the destination pixel as it is,
// so that runs of transparent source need not be visited at all.
inline bool TransparentSourceIsNoOp(Kind kind)
{
    return kind != Kind::Replace && kind != Kind::SelectIntersect;
}

// How much a mask pixel lets through, 0 to 255: its alpha for a selection
// mask, its grey level (Rec. 709 luminance) times its alpha for a layer mask.
inline quint8 Luminance(const KXRGBA32i& pixel)
{
    // Weights sum to 256, so a grey pixel keeps its exact value.
    return quint8((54u * pixel.r + 183u * pixel.g + 19u * pixel.b) >> 8);
}
inline quint8 MaskCoverage(const KXRGBA32i& pixel, bool greyscale)
{
    if (!greyscale)
        return pixel.a;
    return quint8((unsigned(Luminance(pixel)) * pixel.a + 127) / 255);
}

// Composites count source pixels onto the count pixels under them by the
// rule, writing the results to destination (which may be under itself).
// The strength of every pixel is opacity (0 to 1) times coverage[i] / 255
// (coverage may be null: full strength).
void BlendRow(Kind kind, const KXRGBA32i* source, const KXRGBA32i* under, KXRGBA32i* destination, int count,
              float opacity, const quint8* coverage);

} // namespace KXBlend

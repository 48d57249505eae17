#pragma once

// The compositing engine shared by BlendOn, BlendMaskOn and DrawImage.

#include <QRect>

#include "KXImage.h"

namespace KXComposite {

// A mask for the engine: the image, its place in destination coordinates, and
// whether it is a greyscale layer mask (else the alpha of a selection mask is
// used).
struct Mask
{
    const KXImage32* image;
    QRect rect;
    bool greyscale;
};

// Composites the source rectangle onto the destination rectangle by the mode
// (see KXImageOps.h for the mapping and the rules); mask may be null.
bool Composite(const KXImage32& source, const QRect& sourceRect, unsigned int mode, KXImage32& destination,
               const QRect& destinationRect, double opacity, const Mask* mask);

} // namespace KXComposite

#include "KXImageOps.h"

#include "kxcomposite_p.h"

bool BlendMaskOn(const KXImage32& source, const QRect& sourceRect, unsigned int mode, KXImage32& destination,
                 const QRect& destinationRect, double opacity, const KXImage32& mask, const QRect& maskRect,
                 bool maskFlag, bool /*flag*/)
{
    const KXComposite::Mask through { &mask, maskRect, maskFlag };
    return KXComposite::Composite(source, sourceRect, mode, destination, destinationRect, opacity, &through);
}

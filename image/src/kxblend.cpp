#include "KXImageOps.h"

#include "kxcomposite_p.h"

bool BlendOn(const KXImage32& source, const QRect& sourceRect, unsigned int mode, KXImage32& destination,
             const QRect& destinationRect, double opacity, bool /*flag*/)
{
    return KXComposite::Composite(source, sourceRect, mode, destination, destinationRect, opacity, nullptr);
}

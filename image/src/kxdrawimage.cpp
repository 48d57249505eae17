#include "KXImageOps.h"

bool DrawImage(KXImage32& destination, int mode, const QPoint& at, const KXImage32& source, double opacity,
               bool flag)
{
    return BlendOn(source, source.GetRect(), unsigned(mode), destination, QRect(at, source.GetSize()), opacity, flag);
}

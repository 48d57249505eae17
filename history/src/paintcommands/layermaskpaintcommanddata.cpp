#include "layermaskpaintcommanddata.h"

LayerMaskPaintCommandData* layermaskpaintcommanddata_cast(VornCommandData* data)
{
    return VornDataCast<LayerMaskPaintCommandData>(data);
}

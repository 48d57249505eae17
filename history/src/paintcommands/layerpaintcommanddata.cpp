#include "layerpaintcommanddata.h"

LayerPaintCommandData* layerpaintcommanddata_cast(VornCommandData* data)
{
    return VornDataCast<LayerPaintCommandData>(data);
}

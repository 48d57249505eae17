#include "layermaskremovecommanddata.h"

LayerMaskRemoveCommandData* layermaskremovecommanddata_cast(VornCommandData* data)
{
    return VornDataCast<LayerMaskRemoveCommandData>(data);
}

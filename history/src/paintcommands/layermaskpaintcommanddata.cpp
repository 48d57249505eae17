#include "layermaskpaintcommanddata.h"

unsigned int LayerMaskPaintCommandData::GetDataType() const
{
    return Type;
}

LayerMaskPaintCommandData* layermaskpaintcommanddata_cast(VornCommandData* data)
{
    // The layer move data answers 23 too: the class check keeps it out.
    return data && data->GetDataType() == LayerMaskPaintCommandData::Type
        ? dynamic_cast<LayerMaskPaintCommandData*>(data)
        : nullptr;
}

#include "layerpaintcommanddata.h"

unsigned int LayerPaintCommandData::GetDataType() const
{
    return Type;
}

LayerPaintCommandData* layerpaintcommanddata_cast(VornCommandData* data)
{
    // The class check keeps a foreign class that answers the same number out.
    return data && data->GetDataType() == LayerPaintCommandData::Type ? dynamic_cast<LayerPaintCommandData*>(data)
                                                                       : nullptr;
}

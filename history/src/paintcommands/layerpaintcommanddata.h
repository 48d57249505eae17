#pragma once

#include "paintcommanddata.h"
#include "vornhistory_export.h"

// The data of a stroke on a layer's pixels.
class VORNHISTORY_EXPORT LayerPaintCommandData : public PaintCommandData
{
public:
    static constexpr unsigned int Type = 2;
    unsigned int GetDataType() const override { return Type; }
};

// The data typed as LayerPaintCommandData when it is of type 2, else null.
VORNHISTORY_EXPORT LayerPaintCommandData* layerpaintcommanddata_cast(VornCommandData* data);

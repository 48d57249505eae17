#pragma once

#include "paintcommanddata.h"
#include "vornhistory_export.h"

// The data of a stroke on a layer's pixels.
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the GUI thread; the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT LayerPaintCommandData : public PaintCommandData
{
public:
    static constexpr unsigned int Type = 2;
    unsigned int GetDataType() const override { return Type; }
};

// The data typed as LayerPaintCommandData when it is of type 2, else null.
VORNHISTORY_EXPORT LayerPaintCommandData* layerpaintcommanddata_cast(VornCommandData* data);

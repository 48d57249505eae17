#pragma once

#include "paintcommanddata.h"
#include "vornhistory_export.h"

// The data of a stroke on a layer's mask. Its type number, 23, is also the
// number of the layer move data; the cast tells them apart by class.
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the GUI thread; the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT LayerMaskPaintCommandData : public PaintCommandData
{
public:
    static constexpr unsigned int Type = 23;
    unsigned int GetDataType() const override { return Type; }
};

// The data typed as LayerMaskPaintCommandData when it is of type 23, else null.
VORNHISTORY_EXPORT LayerMaskPaintCommandData* layermaskpaintcommanddata_cast(VornCommandData* data);

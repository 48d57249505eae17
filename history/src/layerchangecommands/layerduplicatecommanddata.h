#pragma once

#include "selectiondata.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

struct LayerDuplicateRecord
{
    unsigned int layerId = 0;

    template <class Io> bool Fields(Io& io) { return io(layerId); }
};

// One layer id beside the layer panel's selection. Besides the duplicate
// command, the text update and the text-to-image conversion use it as their
// data (the conversion for the panel selection).
// Record: layer id (uint). Type 19, the number LayerCreateCommandData has too.
class VORNHISTORY_EXPORT LayerDuplicateCommandData : public VornRecordData<LayerDuplicateRecord, SelectionData>
{
public:
    static constexpr unsigned int Type = 19;

    // The selection model is not owned and may be null.
    explicit LayerDuplicateCommandData(QItemSelectionModel* model)
        : VornRecordData(model, -1)
    {
    }

    unsigned int GetDataType() const override { return Type; }

    void SetLayerId(unsigned int id) { EditRecord().layerId = id; }
    // False, argument untouched, while there is no record.
    bool GetLayerId(unsigned int& id) const { return Field(&LayerDuplicateRecord::layerId, id); }
};

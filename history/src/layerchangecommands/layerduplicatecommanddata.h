#pragma once

#include "selectiondata.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

struct LayerDuplicateRecord
{
    unsigned int layerId = 0;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(layerId);
    }
};

// The id of one layer, with the layer panel's selection around the change.
// Used by the duplicate command and, without a selection model, by commands
// that only need a layer id. Record: layer id (uint).
//
// LayerCreateCommandData shares the type number 19 and derives from this
// class, so LayerDuplicateCommanddata_cast accepts both; the layer id
// accessors are virtual so that they reach the id of either.
// Not owned: the selection model. Owns its record; its command owns it until the push,
// the stack's serializer after. Filled and read on the GUI thread; between executions
// the serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT LayerDuplicateCommandData : public VornRecordData<LayerDuplicateRecord, SelectionData>
{
public:
    static constexpr unsigned int Type = 19;

    // model: the layer panel's selection (not owned, may be null).
    explicit LayerDuplicateCommandData(QItemSelectionModel* model);
    ~LayerDuplicateCommandData() override;

    // Creates the record if it is absent.
    virtual void SetLayerId(unsigned int id);
    // False, id untouched, while there is no record.
    virtual bool GetLayerId(unsigned int& id) const;

    unsigned int GetDataType() const override;

protected:
    // For derived data that hands its own value to SelectionData.
    LayerDuplicateCommandData(QItemSelectionModel* model, int value);

private:
    using Record = LayerDuplicateRecord;
};

// data typed as LayerDuplicateCommandData when it is one (type 19; a
// LayerCreateCommandData is one too), else null.
VORNHISTORY_EXPORT LayerDuplicateCommandData* LayerDuplicateCommanddata_cast(VornCommandData* data);

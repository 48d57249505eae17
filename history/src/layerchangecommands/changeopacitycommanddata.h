#pragma once

#include "vornrecord.h"
#include "vornhistory_export.h"

// The record of ChangeOpacityCommandData: old opacity, new opacity, layer id.
struct ChangeOpacityRecord
{
    double oldOpacity = 0;
    double newOpacity = 0;
    unsigned int layer = 0;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(oldOpacity, newOpacity, layer);
    }
};

// Old and new opacity of one layer.
// Record: old opacity (qreal), new opacity (qreal), layer number (uint).
// Owns its record; its command owns it until the push, the stack's serializer
// after. Filled and read on the GUI thread; between executions the
// serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT ChangeOpacityCommandData : public VornRecordData<ChangeOpacityRecord>
{
public:
    static constexpr unsigned int Type = 36;
    unsigned int GetDataType() const override { return Type; }

    void SetOldOpacity(double opacity) { EditRecord().oldOpacity = opacity; }
    void SetNewOpacity(double opacity) { EditRecord().newOpacity = opacity; }
    void SetLayerNuber(unsigned int layer) { EditRecord().layer = layer; }

    // False, argument untouched, while there is no record.
    bool GetOldOpacity(double& opacity) const { return Field(&Record::oldOpacity, opacity); }
    bool GetNewOpacity(double& opacity) const { return Field(&Record::newOpacity, opacity); }
    bool GetLayerNumber(unsigned int& layer) const { return Field(&Record::layer, layer); }

private:
    using Record = ChangeOpacityRecord;
};

// data typed as ChangeOpacityCommandData when it is one (type 36), else null.
VORNHISTORY_EXPORT ChangeOpacityCommandData* changeopacitydata_cast(VornCommandData* data);

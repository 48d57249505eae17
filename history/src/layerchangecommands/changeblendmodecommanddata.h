#pragma once

#include "vornrecord.h"
#include "vornhistory_export.h"

// The record of ChangeBlendModeCommandData: old mode, new mode, layer id.
struct ChangeBlendModeRecord
{
    unsigned int oldMode = 0;
    unsigned int newMode = 0;
    unsigned int layer = 0;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(oldMode, newMode, layer);
    }
};

// Old and new blend mode (the document's own codes, passed through unchanged) of one layer.
// Record: old mode (uint), new mode (uint), layer number (uint).
// Owns its record; its command owns it until the push, the stack's serializer
// after. Filled and read on the GUI thread; between executions the
// serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT ChangeBlendModeCommandData : public VornRecordData<ChangeBlendModeRecord>
{
public:
    static constexpr unsigned int Type = 37;
    unsigned int GetDataType() const override { return Type; }

    void SetOldMode(unsigned int mode) { EditRecord().oldMode = mode; }
    void SetNewMode(unsigned int mode) { EditRecord().newMode = mode; }
    void SetLayerNuber(unsigned int layer) { EditRecord().layer = layer; }

    // False, argument untouched, while there is no record.
    bool GetOldMode(unsigned int& mode) const { return Field(&Record::oldMode, mode); }
    bool GetNewMode(unsigned int& mode) const { return Field(&Record::newMode, mode); }
    bool GetLayerNumber(unsigned int& layer) const { return Field(&Record::layer, layer); }

private:
    using Record = ChangeBlendModeRecord;
};

// data typed as ChangeBlendModeCommandData when it is one (type 37), else null.
VORNHISTORY_EXPORT ChangeBlendModeCommandData* changeblenddata_cast(VornCommandData* data);

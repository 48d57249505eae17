#pragma once

#include <QPoint>

#include "KXImage.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

struct LayerMaskRemoveRecord
{
    KXImage32 mask;
    QPoint maskOffset;
    unsigned int layerId = 0;
    bool maskType = false;
    bool maskState = false;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(mask, maskOffset, layerId, VornAsInt(maskType), VornAsInt(maskState));
    }
};

// The mask a remove command deletes, with everything needed to give it back:
// pixels, position, type flag and enabled state.
// Record: mask (KXImage), mask offset (point), layer id (uint), mask type
// (int), mask state (int); the flags read back true when non-zero.
// Owns its record; its command owns it until the push, the stack's serializer
// after. Filled and read on the GUI thread; between executions the
// serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT LayerMaskRemoveCommandData : public VornRecordData<LayerMaskRemoveRecord>
{
public:
    static constexpr unsigned int Type = 17;
    unsigned int GetDataType() const override { return Type; }

    void SetMaskImage(const KXImage32& mask) { EditRecord().mask = mask; }
    void SetMaskOffset(const QPoint& offset) { EditRecord().maskOffset = offset; }
    void SetLayerId(unsigned int id) { EditRecord().layerId = id; }
    void SetMaskType(bool maskType) { EditRecord().maskType = maskType; }
    void SetMaskState(bool enabled) { EditRecord().maskState = enabled; }

    // False, argument untouched, while there is no record.
    bool GetMaskImage(KXImage32& mask) const { return Field(&Record::mask, mask); }
    bool GetMaskOffset(QPoint& offset) const { return Field(&Record::maskOffset, offset); }
    bool GetLayerId(unsigned int& id) const { return Field(&Record::layerId, id); }
    bool GetMaskType(bool& maskType) const { return Field(&Record::maskType, maskType); }
    bool GetMaskState(bool& enabled) const { return Field(&Record::maskState, enabled); }

private:
    using Record = LayerMaskRemoveRecord;
};

// data typed as LayerMaskRemoveCommandData when it is one (type 17), else null.
VORNHISTORY_EXPORT LayerMaskRemoveCommandData* layermaskremovecommanddata_cast(VornCommandData* data);

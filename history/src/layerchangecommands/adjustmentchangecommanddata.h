#pragma once

#include <QByteArray>

#include "vornhistory_export.h"
#include "vornrecord.h"

struct AdjustmentChangeRecord
{
    QByteArray prevParams;
    QByteArray newParams;
    unsigned int layerId = 0;

    template <class Io> bool Fields(Io& io) { return io(prevParams, newParams, layerId); }
};

// Previous and new parameters of one adjustment layer (the bytes its
// adjustment keeps for it).
// Record: previous params (byte array), new params (byte array), layer id (uint).
// Owns its record; its command owns it until the push, the stack's serializer
// after. Filled and read on the GUI thread; between executions the
// serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT AdjustmentChangeCommandData : public VornRecordData<AdjustmentChangeRecord>
{
public:
    static constexpr unsigned int Type = 40;
    unsigned int GetDataType() const override { return Type; }

    void SetPrevParams(const QByteArray& params) { EditRecord().prevParams = params; }
    void SetNewParams(const QByteArray& params) { EditRecord().newParams = params; }
    void SetLayerID(unsigned int id) { EditRecord().layerId = id; }

    // False, argument untouched, while there is no record.
    bool GetPrevParams(QByteArray& params) const { return Field(&Record::prevParams, params); }
    bool GetNewParams(QByteArray& params) const { return Field(&Record::newParams, params); }
    bool GetLayerID(unsigned int& id) const { return Field(&Record::layerId, id); }

private:
    using Record = AdjustmentChangeRecord;
};

#pragma once

#include <QByteArray>

#include "newlayerdata.h"

struct NewAdjustmentLayerRecord : NewLayerRecord
{
    QString adjustmentId;
    QByteArray params;

    template <class Io> bool Fields(Io& io) { return io(adjustmentId, params, static_cast<NewLayerRecord&>(*this)); }
};

// A new adjustment layer: the adjustment's registered name (what
// ZTAdjustmentManager::GetAdjustment takes) and its parameters (empty: the
// adjustment's defaults), then the common fields.
// Record: adjustment id (string), params (byte array), then NewLayerData's record.
// Owns its record; its command owns it until the push, the stack's serializer
// after. Filled and read on the GUI thread; between executions the
// serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT NewAdjustmentLayerData : public NewLayerRecordData<NewAdjustmentLayerRecord>
{
public:
    static constexpr unsigned int Type = 27;
    unsigned int GetDataType() const override { return Type; }

    void SetAdjustmentID(const QString& id) { EditRecord().adjustmentId = id; }
    void SetParams(const QByteArray& params) { EditRecord().params = params; }

    // Empty while there is no record.
    QString GetAdjustmentID() const { return GetRecord() ? GetRecord()->adjustmentId : QString(); }
    QByteArray GetParams() const { return GetRecord() ? GetRecord()->params : QByteArray(); }
};

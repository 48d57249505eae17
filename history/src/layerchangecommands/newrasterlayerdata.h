#pragma once

#include "newlayerdata.h"

struct NewRasterLayerRecord : NewLayerRecord
{
    KXImage32 raster;
    QPoint rasterPos;

    template <class Io> bool Fields(Io& io) { return io(raster, rasterPos, static_cast<NewLayerRecord&>(*this)); }
};

// A new raster layer: its pixels and where they sit, then the common fields.
// Record: raster (KXImage), raster position (point), then NewLayerData's record.
// Owns its record; its command owns it until the push, the stack's serializer
// after. Filled and read on the GUI thread; between executions the
// serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT NewRasterLayerData : public NewLayerRecordData<NewRasterLayerRecord>
{
public:
    static constexpr unsigned int Type = 34;
    unsigned int GetDataType() const override { return Type; }

    void SetRaster(const KXImage32& raster) { EditRecord().raster = raster; }
    void SetRasterPos(const QPoint& position) { EditRecord().rasterPos = position; }

    // Empty while there is no record.
    KXImage32 GetRaster() const { return GetRecord() ? GetRecord()->raster : KXImage32(); }
    QPoint GetRasterPos() const { return GetRecord() ? GetRecord()->rasterPos : QPoint(); }
};

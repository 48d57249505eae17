#pragma once

#include <QPoint>

#include "KXImage.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

struct MergeRecord
{
    unsigned int layerId = 0;
    KXImage32 result;
    QPoint position;
    unsigned int blendMode = 0;
    double opacity = 0;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(layerId, result, position, blendMode, opacity);
    }
};

// A merge result the host composed: the image, where it goes in the document
// and as which layer, with its blend mode and opacity. Created whole by the
// constructor. Record: layer id (uint), result (KXImage), position (point),
// blend mode (uint), opacity (qreal).
// Owns its record; its command owns it until the push, the stack's serializer
// after. Filled and read on the GUI thread; between executions the
// serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT MergeCommandData : public VornRecordData<MergeRecord>
{
public:
    static constexpr unsigned int Type = 31;

    MergeCommandData(unsigned int layerId, const KXImage32& result, const QPoint& pos, unsigned int blendMode,
                     double opacity);

    unsigned int GetDataType() const override { return Type; }

    // The values, or defaults (0, an empty image, (0, 0)) while there is no record.
    unsigned int LayerID() const;
    KXImage32 MergeResult() const;
    QPoint MergePos() const;
    unsigned int BlendMode() const;
    double Opacity() const;

private:
    using Record = MergeRecord;
};

// data typed as MergeCommandData when it is one (type 31), else null.
VORNHISTORY_EXPORT MergeCommandData* mergecommanddata_cast(VornCommandData* data);

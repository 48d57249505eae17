#include "mergecommanddata.h"

MergeCommandData::MergeCommandData(unsigned int layerId, const KXImage32& result, const QPoint& pos,
                                   unsigned int blendMode, double opacity)
{
    Record& record = EditRecord();
    record.layerId = layerId;
    record.result = result;
    record.position = pos;
    record.blendMode = blendMode;
    record.opacity = opacity;
}

unsigned int MergeCommandData::LayerID() const
{
    return GetRecord() ? GetRecord()->layerId : 0;
}

KXImage32 MergeCommandData::MergeResult() const
{
    return GetRecord() ? GetRecord()->result : KXImage32();
}

QPoint MergeCommandData::MergePos() const
{
    return GetRecord() ? GetRecord()->position : QPoint();
}

unsigned int MergeCommandData::BlendMode() const
{
    return GetRecord() ? GetRecord()->blendMode : 0;
}

double MergeCommandData::Opacity() const
{
    return GetRecord() ? GetRecord()->opacity : 0;
}

MergeCommandData* mergecommanddata_cast(VornCommandData* data)
{
    return VornDataCast<MergeCommandData>(data);
}

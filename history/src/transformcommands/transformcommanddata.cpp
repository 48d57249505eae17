#include "transformcommanddata.h"

void TransformCommandData::SetUndoLayerImage(unsigned int layer, const KXImage32& image, const QPoint& offset)
{
    EditRecord().layers.insert(layer, TransformLayerEntry{image, offset});
}

bool TransformCommandData::GetUndoLayerImage(unsigned int layer, KXImage32& image, QPoint& offset) const
{
    const Record* record = GetRecord();
    if (!record)
        return false;
    const auto found = record->layers.constFind(layer);
    if (found == record->layers.constEnd())
        return false;
    image = found->image;
    offset = found->offset;
    return true;
}

QList<unsigned int> TransformCommandData::GetIndexList() const
{
    const Record* record = GetRecord();
    return record ? record->layers.keys() : QList<unsigned int>();
}

const QTransform* TransformCommandData::GetTransform() const
{
    const Record* record = GetRecord();
    return record ? &record->transform : nullptr;
}

const QTransform* TransformCommandData::GetOldTransform() const
{
    const Record* record = GetRecord();
    return record ? &record->oldTransform : nullptr;
}

TransformCommandData* transformcommanddata_cast(VornCommandData* data)
{
    return VornDataCast<TransformCommandData>(data);
}

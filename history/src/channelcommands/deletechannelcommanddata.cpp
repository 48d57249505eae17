#include "deletechannelcommanddata.h"

void DeleteChannelCommandData::InsertUndoData(
    unsigned int id, const QString& name, const QPoint& offset, const KXImage32& image)
{
    QMap<unsigned int, DeleteChannelEntry>& entries = EditRecord().entries;
    if (!entries.contains(id))
        entries.insert(id, DeleteChannelEntry { name, image, offset });
}

bool DeleteChannelCommandData::GetUndoData(unsigned int id, QString& name, QPoint& offset, KXImage32& image) const
{
    const Data* record = GetRecord();
    if (!record)
        return false;
    const auto found = record->entries.constFind(id);
    if (found == record->entries.constEnd())
        return false;
    name = found->name;
    offset = found->offset;
    image = found->image;
    return true;
}

QList<unsigned int> DeleteChannelCommandData::GetChannels() const
{
    return GetRecord() ? GetRecord()->entries.keys() : QList<unsigned int>();
}

DeleteChannelCommandData* deletechannelcommanddata_cast(VornCommandData* data)
{
    return VornDataCast<DeleteChannelCommandData>(data);
}

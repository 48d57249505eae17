#include "changelayerssequencedata.h"

ChangeLayersSequenceData::ChangeLayersSequenceData(const QList<unsigned int>& sequence,
                                                   const QList<int>& selectedRows, bool isLayerSel)
{
    Record& record = EditRecord();
    record.sequence = sequence;
    record.selectedRows = selectedRows;
    record.isLayerSel = isLayerSel;
}

QList<unsigned int> ChangeLayersSequenceData::GetRedoSequence() const
{
    return GetRecord() ? GetRecord()->sequence : QList<unsigned int>();
}

QList<int> ChangeLayersSequenceData::GetSelectedRows() const
{
    return GetRecord() ? GetRecord()->selectedRows : QList<int>();
}

bool ChangeLayersSequenceData::IsLayerSel() const
{
    return GetRecord() && GetRecord()->isLayerSel;
}

ChangeLayersSequenceData* changeseqcommanddata_cast(VornCommandData* data)
{
    return VornDataCast<ChangeLayersSequenceData>(data);
}

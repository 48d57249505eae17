#include "mwselectioncommanddata.h"

void MWSelectionCommandData::SetUndoSel(const QPoint& offset, const KXImage32& mask)
{
    MWSelectionCommandRecord& record = EditRecord();
    record.undoOffset = offset;
    record.undoMask = mask;
}

void MWSelectionCommandData::SetRedoSel(const QPoint& offset, const KXImage32& mask, LogicalOp op)
{
    MWSelectionCommandRecord& record = EditRecord();
    record.redoOffset = offset;
    record.redoMask = mask;
    record.op = op;
}

bool MWSelectionCommandData::GetUndoSel(QPoint& offset, KXImage32& mask) const
{
    if (!GetRecord())
        return false;
    offset = GetRecord()->undoOffset;
    mask = GetRecord()->undoMask;
    return true;
}

bool MWSelectionCommandData::GetRedoSel(QPoint& offset, KXImage32& mask, LogicalOp& op) const
{
    if (!GetRecord())
        return false;
    offset = GetRecord()->redoOffset;
    mask = GetRecord()->redoMask;
    op = GetRecord()->op;
    return true;
}

MWSelectionCommandData* mwselectiondata_cast(VornCommandData* data)
{
    return VornDataCast<MWSelectionCommandData>(data);
}

#include "selectioncommanddata.h"

void SelectionCommandData::SetUndoSel(const QPoint& offset, const KXImage32& mask)
{
    if (!HasRecord())
        return;
    EditRecord().undoOffset = offset;
    EditRecord().undoMask = mask;
}

bool SelectionCommandData::GetUndoSel(QPoint& offset, KXImage32& mask) const
{
    if (!GetRecord())
        return false;
    offset = GetRecord()->undoOffset;
    mask = GetRecord()->undoMask;
    return true;
}

SelectionCommandData* selectiondata_cast(VornCommandData* data)
{
    return VornDataCast<SelectionCommandData>(data);
}

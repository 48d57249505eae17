#include "colorsamplescommanddatamove.h"

void ColorSamplesCommandDataMove::SetData(int row, const QPoint& offset)
{
    ColorSamplesMoveRecord& record = EditRecord();
    record.row = row;
    record.offset = offset;
}

bool ColorSamplesCommandDataMove::GetData(int& row, QPoint& offset) const
{
    const ColorSamplesMoveRecord* record = GetRecord();
    if (!record)
        return false;
    row = record->row;
    offset = record->offset;
    return true;
}

ColorSamplesCommandDataMove* ColorSamplesCommanddataMove_cast(VornCommandData* data)
{
    return VornDataCast<ColorSamplesCommandDataMove>(data);
}

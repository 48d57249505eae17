#include "colorsamplescommanddataremove.h"

void ColorSamplesCommandDataRemove::SetSamplePoint(int row, const QPoint& point)
{
    ColorSamplesRemoveRecord& record = EditRecord();
    record.row = row;
    record.point = point;
}

bool ColorSamplesCommandDataRemove::GetSamplePoint(int& row, QPoint& point) const
{
    const ColorSamplesRemoveRecord* record = GetRecord();
    if (!record)
        return false;
    row = record->row;
    point = record->point;
    return true;
}

ColorSamplesCommandDataRemove* ColorSamplesCommanddataRemove_cast(VornCommandData* data)
{
    return VornDataCast<ColorSamplesCommandDataRemove>(data);
}

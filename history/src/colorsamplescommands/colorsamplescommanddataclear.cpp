#include "colorsamplescommanddataclear.h"

void ColorSamplesCommandDataClear::SetData(const std::vector<QPoint>& points)
{
    EditRecord().points = QVector<QPoint>(points.begin(), points.end());
}

bool ColorSamplesCommandDataClear::GetData(std::vector<QPoint>& points) const
{
    const ColorSamplesClearRecord* record = GetRecord();
    if (!record)
        return false;
    points.assign(record->points.begin(), record->points.end());
    return true;
}

ColorSamplesCommandDataClear* ColorSamplesCommanddataClear_cast(VornCommandData* data)
{
    return VornDataCast<ColorSamplesCommandDataClear>(data);
}

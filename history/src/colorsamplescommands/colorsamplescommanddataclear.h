#pragma once

#include <QPoint>
#include <QVector>

#include <vector>

#include "vornhistory_export.h"
#include "vornrecord.h"

struct ColorSamplesClearRecord
{
    QVector<QPoint> points;

    template <class Io> bool Fields(Io& io) { return io(VornList(points)); }
};

// Every point removed. The host fills the points before pushing; redo stores
// their display formats, in row order.
// Record: point count (int), then each point.
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the thread that owns the stack (the GUI thread); between
// executions the serializer's worker writes and releases the record.
class VORNHISTORY_EXPORT ColorSamplesCommandDataClear : public VornRecordData<ColorSamplesClearRecord>
{
public:
    static constexpr unsigned int Type = 9;
    unsigned int GetDataType() const override { return Type; }

    void SetData(const std::vector<QPoint>& points);
    // False, argument untouched, while there is no record.
    bool GetData(std::vector<QPoint>& points) const;

    void SetDisplayFormats(const std::vector<int>& formats) { m_formats = formats; }
    void GetDisplayFormats(std::vector<int>& formats) const { formats = m_formats; }

private:
    std::vector<int> m_formats;
};

// data typed as ColorSamplesCommandDataClear when it is one (type 9), else null.
VORNHISTORY_EXPORT ColorSamplesCommandDataClear* ColorSamplesCommanddataClear_cast(VornCommandData* data);

#pragma once

#include <QPoint>

#include "vornhistory_export.h"
#include "vornrecord.h"

struct ColorSamplesAddRecord
{
    QPoint point;

    template <class Io> bool Fields(Io& io) { return io(point); }
};

// A point appended to the list.
// Record: point.
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the thread that owns the stack (the GUI thread); between
// executions the serializer's worker writes and releases the record.
class VORNHISTORY_EXPORT ColorSamplesCommandDataAdd : public VornRecordData<ColorSamplesAddRecord>
{
public:
    static constexpr unsigned int Type = 7;
    unsigned int GetDataType() const override { return Type; }

    void SetSamplePoint(const QPoint& point) { EditRecord().point = point; }
    // False, argument untouched, while there is no record.
    bool GetSamplePoint(QPoint& point) const { return Field(&ColorSamplesAddRecord::point, point); }

    // The point's format (0 at construction; undo stores the removed row's).
    void SetDisplayFormat(int format) { m_format = format; }
    int GetDisplayFormat() const { return m_format; }

private:
    int m_format = 0;
};

// data typed as ColorSamplesCommandDataAdd when it is one (type 7), else null.
VORNHISTORY_EXPORT ColorSamplesCommandDataAdd* ColorSamplesCommanddataAdd_cast(VornCommandData* data);

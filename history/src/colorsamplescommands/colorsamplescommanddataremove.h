#pragma once

#include <QPoint>

#include "vornhistory_export.h"
#include "vornrecord.h"

struct ColorSamplesRemoveRecord
{
    QPoint point;
    int row = 0;

    template <class Io> bool Fields(Io& io) { return io(point, row); }
};

// One point removed from the list.
// Record: point, row (int).
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the thread that owns the stack (the GUI thread); between
// executions the serializer's worker writes and releases the record.
class VORNHISTORY_EXPORT ColorSamplesCommandDataRemove : public VornRecordData<ColorSamplesRemoveRecord>
{
public:
    static constexpr unsigned int Type = 8;
    unsigned int GetDataType() const override { return Type; }

    void SetSamplePoint(int row, const QPoint& point);
    // False, arguments untouched, while there is no record.
    bool GetSamplePoint(int& row, QPoint& point) const;

    // The removed point's format (0 at construction; redo stores the row's).
    void SetDisplayFormat(int format) { m_format = format; }
    int GetDisplayFormat() const { return m_format; }

private:
    int m_format = 0;
};

// data typed as ColorSamplesCommandDataRemove when it is one (type 8), else null.
VORNHISTORY_EXPORT ColorSamplesCommandDataRemove* ColorSamplesCommanddataRemove_cast(VornCommandData* data);

#pragma once

#include <QPoint>

#include "vornhistory_export.h"
#include "vornrecord.h"

struct ColorSamplesMoveRecord
{
    int row = 0;
    QPoint offset;

    template <class Io> bool Fields(Io& io) { return io(row, offset); }
};

// One point moved by an offset.
// Record: row (int), offset (point).
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the thread that owns the stack (the GUI thread); between
// executions the serializer's worker writes and releases the record.
class VORNHISTORY_EXPORT ColorSamplesCommandDataMove : public VornRecordData<ColorSamplesMoveRecord>
{
public:
    static constexpr unsigned int Type = 10;
    unsigned int GetDataType() const override { return Type; }

    void SetData(int row, const QPoint& offset);
    // False, arguments untouched, while there is no record.
    bool GetData(int& row, QPoint& offset) const;
};

// data typed as ColorSamplesCommandDataMove when it is one (type 10), else null.
VORNHISTORY_EXPORT ColorSamplesCommandDataMove* ColorSamplesCommanddataMove_cast(VornCommandData* data);

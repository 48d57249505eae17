#pragma once

#include <QPoint>

#include "vornrecord.h"
#include "vornhistory_export.h"

struct SelectionMoveRecord
{
    QPoint undoPosition;
    QPoint redoPosition;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(undoPosition, redoPosition);
    }
};

// A drag of the selection outline: its document position before and after.
// Record: undo position (point), redo position (point).
//
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the GUI thread; the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT SelectionMoveCommandData : public VornRecordData<SelectionMoveRecord>
{
public:
    static constexpr unsigned int Type = 38;
    unsigned int GetDataType() const override { return Type; }

    void SetUndoPosition(const QPoint& position) { EditRecord().undoPosition = position; }
    void SetRedoPosition(const QPoint& position) { EditRecord().redoPosition = position; }
    // False, argument untouched, while there is no record.
    bool UndoPosition(QPoint& position) const { return Field(&Record::undoPosition, position); }
    bool RedoPosition(QPoint& position) const { return Field(&Record::redoPosition, position); }

private:
    using Record = SelectionMoveRecord;
};

// data typed as SelectionMoveCommandData when it is one (type 38), else null.
VORNHISTORY_EXPORT SelectionMoveCommandData* selectionmovedata_cast(VornCommandData* data);

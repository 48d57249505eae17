#pragma once

#include <QPainterPath>
#include <QPoint>

#include "KXImage.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

// How a new shape or mask combines with the current selection. Every int
// value is representable: values of 4 and above leave the selection as it is.
enum SelectionLogicalOp : int
{
    SelectionUnion = 0, // selected now or in the new shape
    SelectionIntersect = 1, // selected now and in the new shape
    SelectionSubtract = 2, // selected now and not in the new shape
    SelectionReplace = 3 // the new shape alone
};

struct SelectionCommandRecord
{
    SelectionLogicalOp op = SelectionUnion;
    KXImage32 undoMask;
    QPoint undoOffset;
    QPainterPath geometry;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(VornAsInt(op), undoMask, undoOffset, geometry);
    }
};

// A selection change by a vector shape: the shape in document coordinates,
// how it combines with the current selection, and the selection mask (with
// its offset) to restore on undo. The record exists from the first
// SetSelectionGeometry / SetSelectionOp (or Deserialize) until ReleaseSerializeData.
// Record: operation (int), undo mask (KXImage), undo offset (point), geometry (painter path).
//
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the GUI thread; the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT SelectionCommandData : public VornRecordData<SelectionCommandRecord>
{
public:
    static constexpr unsigned int Type = 0;
    unsigned int GetDataType() const override { return Type; }

    using LogicalOp = SelectionLogicalOp;
    static constexpr LogicalOp Union = SelectionUnion;
    static constexpr LogicalOp Intersect = SelectionIntersect;
    static constexpr LogicalOp Subtract = SelectionSubtract;
    static constexpr LogicalOp Replace = SelectionReplace;

    void SetSelectionGeometry(const QPainterPath& geometry) { EditRecord().geometry = geometry; }
    void SetSelectionOp(LogicalOp op) { EditRecord().op = op; }
    // Stores into an existing record only: set the operation or the geometry first.
    void SetUndoSel(const QPoint& offset, const KXImage32& mask);

    // False, outputs untouched, while there is no record.
    bool GetUndoSel(QPoint& offset, KXImage32& mask) const;
    // Null while there is no record.
    const QPainterPath* GetGeometry() const { return GetRecord() ? &GetRecord()->geometry : nullptr; }
    const LogicalOp* GetSelectionOp() const { return GetRecord() ? &GetRecord()->op : nullptr; }
};

// data typed as SelectionCommandData when it is one (type 0), else null.
VORNHISTORY_EXPORT SelectionCommandData* selectiondata_cast(VornCommandData* data);

#pragma once

#include <QPoint>

#include "KXImage.h"
#include "selectioncommanddata.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

struct MWSelectionCommandRecord
{
    KXImage32 redoMask;
    QPoint redoOffset;
    KXImage32 undoMask;
    QPoint undoOffset;
    bool noUndoSelection = false;
    SelectionLogicalOp op = SelectionUnion;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(redoMask, redoOffset, undoMask, undoOffset, VornRawByte(noUndoSelection), VornRawLittleEndian(op));
    }
};

// A selection change by a ready-made mask: the new mask with its document
// position and how it combines with the current selection, the mask (with
// its offset) to restore on undo, and whether there was a selection to
// restore at all. The record exists from the first setter (or Deserialize)
// until ReleaseSerializeData.
// Record: redo mask (KXImage), redo offset (point), undo mask (KXImage),
// undo offset (point), no-undo-selection flag (1 raw byte, 0 or 1),
// operation (4 raw bytes, little-endian).
//
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the GUI thread; the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT MWSelectionCommandData : public VornRecordData<MWSelectionCommandRecord>
{
public:
    static constexpr unsigned int Type = 1;
    unsigned int GetDataType() const override { return Type; }

    using LogicalOp = SelectionLogicalOp;

    // true: there was no selection; undo empties it.
    void SetNoUndoSelection(bool noUndoSelection) { EditRecord().noUndoSelection = noUndoSelection; }
    void SetUndoSel(const QPoint& offset, const KXImage32& mask);
    void SetRedoSel(const QPoint& offset, const KXImage32& mask, LogicalOp op);

    // Outputs untouched (and false) while there is no record.
    bool GetUndoSel(QPoint& offset, KXImage32& mask) const;
    bool GetRedoSel(QPoint& offset, KXImage32& mask, LogicalOp& op) const;
    // True only with a record whose no-undo-selection flag is false.
    bool GetHasUndoSelection() const { return GetRecord() && !GetRecord()->noUndoSelection; }
};

// data typed as MWSelectionCommandData when it is one (type 1), else null.
VORNHISTORY_EXPORT MWSelectionCommandData* mwselectiondata_cast(VornCommandData* data);

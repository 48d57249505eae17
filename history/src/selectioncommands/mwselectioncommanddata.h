#pragma once

#include <QPoint>

#include <memory>

#include "KXImage.h"
#include "selectioncommanddata.h"
#include "vorncommanddata.h"
#include "vornhistory_export.h"

// A selection change by a ready-made mask: the new mask with its document
// position and how it combines with the current selection, the mask (with
// its offset) to restore on undo, and whether there was a selection to
// restore at all. The six values form the record; it exists from the first
// setter (or Deserialize) until ReleaseSerializeData.
class VORNHISTORY_EXPORT MWSelectionCommandData : public VornCommandData
{
public:
    static constexpr unsigned int Type = 1;
    using LogicalOp = SelectionCommandData::LogicalOp;

    MWSelectionCommandData();
    ~MWSelectionCommandData() override;

    MWSelectionCommandData(const MWSelectionCommandData&) = delete;
    MWSelectionCommandData& operator=(const MWSelectionCommandData&) = delete;

    // true: there was no selection; undo empties it.
    void SetNoUndoSelection(bool noUndoSelection);
    void SetUndoSel(const QPoint& offset, const KXImage32& mask);
    void SetRedoSel(const QPoint& offset, const KXImage32& mask, LogicalOp op);

    // Outputs untouched (and false) while there is no record.
    bool GetUndoSel(QPoint& offset, KXImage32& mask) const;
    bool GetRedoSel(QPoint& offset, KXImage32& mask, LogicalOp& op) const;
    // True only with a record whose no-undo-selection flag is false.
    bool GetHasUndoSelection() const;

    // Record: redo mask (KXImage), redo offset (point), undo mask (KXImage),
    // undo offset (point), no-undo-selection flag (1 raw byte, 0 or 1),
    // operation (4 raw bytes, little-endian).
    bool Serialize(IWriter* writer) override;
    bool Deserialize(IReader* reader) override;
    void ReleaseSerializeData() override;
    unsigned int GetDataType() const override;

private:
    struct Record
    {
        KXImage32 undoMask;
        KXImage32 redoMask;
        QPoint undoOffset;
        QPoint redoOffset;
        LogicalOp op = SelectionCommandData::Union;
        bool noUndoSelection = false;
    };

    Record& EnsureRecord();

    std::unique_ptr<Record> m_record;
};

// data typed as MWSelectionCommandData when it is one (type 1), else null.
VORNHISTORY_EXPORT MWSelectionCommandData* mwselectiondata_cast(VornCommandData* data);

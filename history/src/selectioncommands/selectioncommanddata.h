#pragma once

#include <QPainterPath>
#include <QPoint>

#include <memory>

#include "KXImage.h"
#include "vorncommanddata.h"
#include "vornhistory_export.h"

// A selection change by a vector shape: the shape in document coordinates,
// how it combines with the current selection, and the selection mask (with
// its offset) to restore on undo. The four values form the record; it exists
// from the first SetSelectionGeometry / SetSelectionOp (or Deserialize) until
// ReleaseSerializeData.
class VORNHISTORY_EXPORT SelectionCommandData : public VornCommandData
{
public:
    static constexpr unsigned int Type = 0;

    // How a new shape or mask combines with the current selection. Every int
    // value is representable: values of 4 and above leave the selection as it is.
    enum LogicalOp : int
    {
        Union = 0, // selected now or in the new shape
        Intersect = 1, // selected now and in the new shape
        Subtract = 2, // selected now and not in the new shape
        Replace = 3 // the new shape alone
    };

    SelectionCommandData();
    ~SelectionCommandData() override;

    SelectionCommandData(const SelectionCommandData&) = delete;
    SelectionCommandData& operator=(const SelectionCommandData&) = delete;

    void SetSelectionGeometry(const QPainterPath& geometry);
    void SetSelectionOp(LogicalOp op);
    // Stores into an existing record only: set the operation or the geometry first.
    void SetUndoSel(const QPoint& offset, const KXImage32& mask);

    // False, outputs untouched, while there is no record.
    bool GetUndoSel(QPoint& offset, KXImage32& mask) const;
    // Null while there is no record.
    const QPainterPath* GetGeometry() const;
    const LogicalOp* GetSelectionOp() const;

    // Record: operation (int), undo mask (KXImage), undo offset (point), geometry (painter path).
    bool Serialize(IWriter* writer) override;
    bool Deserialize(IReader* reader) override;
    void ReleaseSerializeData() override;
    unsigned int GetDataType() const override;

private:
    struct Record
    {
        QPainterPath geometry;
        KXImage32 undoMask;
        LogicalOp op = Union;
        QPoint undoOffset;
    };

    Record& EnsureRecord();

    std::unique_ptr<Record> m_record;
};

// data typed as SelectionCommandData when it is one (type 0), else null.
VORNHISTORY_EXPORT SelectionCommandData* selectiondata_cast(VornCommandData* data);

#pragma once

#include <QPoint>
#include <QTransform>

#include "KXImage.h"
#include "vornrecord.h"
#include "vornhistory_export.h"

struct TransformSelectionRecord
{
    KXImage32 undoMask;
    QPoint undoOffset;
    QTransform transform;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(undoMask, undoOffset, transform);
    }
};

// A transform of the pixel selection: the mask before it with its document
// offset, and the transform from the mask's own pixel coordinates to the
// document. Record: undo mask (KXImage), undo offset (point), transform.
//
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the GUI thread; the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT TransformSelectionCommandData : public VornRecordData<TransformSelectionRecord>
{
public:
    static constexpr unsigned int Type = 24;
    unsigned int GetDataType() const override { return Type; }

    void SetUndoImage(const KXImage32& mask, const QPoint& offset);
    void SetTransform(const QTransform& transform) { EditRecord().transform = transform; }
    // False, outputs untouched, while there is no record.
    bool GetUndoImage(KXImage32& mask, QPoint& offset) const;
    // Null while there is no record.
    const QTransform* GetTransform() const;

    // As the base, but a standard exception on the way is reported and makes
    // them return false; any other exception is reported and passed on.
    bool Serialize(IWriter* writer) override;
    bool Deserialize(IReader* reader) override;

private:
    using Record = TransformSelectionRecord;
};

// data typed as TransformSelectionCommandData when it is one (type 24), else null.
VORNHISTORY_EXPORT TransformSelectionCommandData* transformselectioncommanddata_cast(VornCommandData* data);

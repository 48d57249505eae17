#pragma once

#include <QPoint>

#include "KXImage.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

struct KXChangeRasterRecord
{
    KXImage32 undoImage;
    KXImage32 redoImage;
    QPoint undoOffset;
    QPoint redoOffset;
    unsigned int layer = 0;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(undoImage, redoImage, undoOffset, redoOffset, VornAsInt(layer));
    }
};

// A layer's image (or mask) before and after an edit that replaced it whole
// (a filter, an adjustment applied to pixels), each with the document position
// of its top-left pixel. The images share their tiles with the layer's.
// Record: undo image, redo image (tiled images), undo offset, redo offset
// (points), layer id (int).
// Owns its record; its command owns it until the push, the stack's serializer
// after. Filled and read on the GUI thread; between executions the
// serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT KXChangeRasterData : public VornRecordData<KXChangeRasterRecord>
{
public:
    static constexpr unsigned int Type = 48;
    unsigned int GetDataType() const override { return Type; }

    void SetUndoImage(const QPoint& offset, const KXImage32& image)
    {
        Record& record = EditRecord();
        record.undoOffset = offset;
        record.undoImage = image;
    }
    void SetRedoImage(const QPoint& offset, const KXImage32& image)
    {
        Record& record = EditRecord();
        record.redoOffset = offset;
        record.redoImage = image;
    }
    void SetLayerID(unsigned int layer) { EditRecord().layer = layer; }

    // False, arguments untouched, while there is no record.
    bool GetUndoImage(QPoint& offset, KXImage32& image) const
    {
        return Field(&Record::undoOffset, offset) && Field(&Record::undoImage, image);
    }
    bool GetRedoImage(QPoint& offset, KXImage32& image) const
    {
        return Field(&Record::redoOffset, offset) && Field(&Record::redoImage, image);
    }
    bool GetLayerID(unsigned int& layer) const { return Field(&Record::layer, layer); }

private:
    using Record = KXChangeRasterRecord;
};

// data typed as KXChangeRasterData when it is one (type 48), else null.
VORNHISTORY_EXPORT KXChangeRasterData* kxchangerasterdata_cast(VornCommandData* data);

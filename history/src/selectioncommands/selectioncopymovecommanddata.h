#pragma once

#include <QPoint>

#include "KXImage.h"
#include "vornrecord.h"
#include "vornhistory_export.h"

struct SelectionCopyMoveRecord
{
    unsigned int layerIndex = 0;
    QPoint startPos;
    QPoint startImagePos;
    QPoint endPos;
    QPoint endImagePos;
    KXImage32 startImage;
    KXImage32 endImage;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(startPos, startImagePos, endPos, endImagePos, startImage, endImage, layerIndex);
    }
};

// A copy-move of selected pixels: the layer, the start and end positions of
// the selection and of the moved pixels, and the pixels at both ends.
// Record: start position, start image position, end position, end image
// position (points), start image, end image (KXImage), layer index (uint).
//
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the GUI thread; the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT SelectionCopyMoveCommandData : public VornRecordData<SelectionCopyMoveRecord>
{
public:
    static constexpr unsigned int Type = 39;
    unsigned int GetDataType() const override { return Type; }

    void SetLayerIndex(unsigned int layer) { EditRecord().layerIndex = layer; }
    void SetStartPos(const QPoint& position) { EditRecord().startPos = position; }
    void SetStartImagePos(const QPoint& position) { EditRecord().startImagePos = position; }
    void SetStartImage(const KXImage32& image) { EditRecord().startImage = image; }
    void SetEndPos(const QPoint& position) { EditRecord().endPos = position; }
    void SetEndImagePos(const QPoint& position) { EditRecord().endImagePos = position; }
    void SetEndImage(const KXImage32& image) { EditRecord().endImage = image; }

    // False, argument untouched, while there is no record.
    bool GetLayerIndex(unsigned int& layer) const { return Field(&Record::layerIndex, layer); }
    bool GetStartPos(QPoint& position) const { return Field(&Record::startPos, position); }
    bool GetStartImagePos(QPoint& position) const { return Field(&Record::startImagePos, position); }
    bool GetStartImage(KXImage32& image) const { return Field(&Record::startImage, image); }
    bool GetEndPos(QPoint& position) const { return Field(&Record::endPos, position); }
    bool GetEndImagePos(QPoint& position) const { return Field(&Record::endImagePos, position); }
    bool GetEndImage(KXImage32& image) const { return Field(&Record::endImage, image); }

private:
    using Record = SelectionCopyMoveRecord;
};

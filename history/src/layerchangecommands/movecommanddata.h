#pragma once

#include <QList>
#include <QPoint>
#include <QTransform>

#include "vornhistory_export.h"
#include "vornrecord.h"

struct MoveCommandRecord
{
    QPoint delta;
    QList<unsigned int> layers;
    QList<unsigned int> masks;
    QTransform textLayerOldTransformation;
    QTransform textLayerNewTransformation;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(delta, VornRawLittleEndianList(layers), VornRawLittleEndianList(masks), textLayerOldTransformation,
                  textLayerNewTransformation);
    }
};

// A move of layers and masks by one integer delta, with the text placements
// before and after it. No pixels: only the delta and the ids.
// Record: delta (point); the number of layer ids (int), then each id as 4
// raw little-endian bytes; the same for the mask ids; old and new text
// transformation (transforms).
// Owns its record; its command owns it until the push, the stack's serializer
// after. Filled and read on the GUI thread; between executions the
// serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT MoveCommandData : public VornRecordData<MoveCommandRecord>
{
public:
    static constexpr unsigned int Type = 6;
    unsigned int GetDataType() const override { return Type; }

    void SetDelta(const QPoint& delta) { EditRecord().delta = delta; }
    // Ids of the layers whose image moves (with the mask too when listed in both).
    void SetLayers(const QList<unsigned int>& layers) { EditRecord().layers = layers; }
    // Ids of the layers whose mask moves.
    void SetMasks(const QList<unsigned int>& masks) { EditRecord().masks = masks; }
    // The text placement undo restores and the one redo sets.
    void SetTextLayerOldTransformation(const QTransform& transform) { EditRecord().textLayerOldTransformation = transform; }
    void SetTextLayerNewTransformation(const QTransform& transform) { EditRecord().textLayerNewTransformation = transform; }

    // False, argument untouched, while there is no record.
    bool GetDelta(QPoint& delta) const { return Field(&Record::delta, delta); }
    bool GetLayers(QList<unsigned int>& layers) const { return Field(&Record::layers, layers); }
    bool GetMasks(QList<unsigned int>& masks) const { return Field(&Record::masks, masks); }
    bool GetTextLayerOldTransformation(QTransform& transform) const
    {
        return Field(&Record::textLayerOldTransformation, transform);
    }
    bool GetTextLayerNewTransformation(QTransform& transform) const
    {
        return Field(&Record::textLayerNewTransformation, transform);
    }

private:
    using Record = MoveCommandRecord;
};

// data typed as MoveCommandData when it is one (type 6), else null.
VORNHISTORY_EXPORT MoveCommandData* movecommanddata_cast(VornCommandData* data);

#pragma once

#include <QList>
#include <QMap>
#include <QPoint>
#include <QTransform>

#include "KXImage.h"
#include "vornrecord.h"
#include "vornhistory_export.h"

// One transformed layer (or mask) as it was before: its pixels and its top-left.
struct TransformLayerEntry
{
    KXImage32 image;
    QPoint offset;
};

struct TransformRecord
{
    QMap<unsigned int, TransformLayerEntry> layers;
    QTransform transform;
    QTransform oldTransform;

    // The entry count (int); per entry, ascending by layer id, the id as 4 raw
    // little-endian bytes, the image and the offset; then both transforms.
    // Writing stops after an entry with a failed field and writes the
    // transforms only when everything before succeeded; reading stops at the
    // first failed field.
    template <class Io>
    bool Fields(Io& io)
    {
        int count = layers.size();
        const bool countDone = io(count);
        if constexpr (Io::Reading) {
            if (!countDone || count < 0)
                return false;
            for (int i = 0; i < count; ++i) {
                unsigned int id = 0;
                TransformLayerEntry entry;
                if (!io(VornRawLittleEndian(id)) || !io(entry.image) || !io(entry.offset))
                    return false;
                layers.insert(id, entry);
            }
        } else {
            for (auto it = layers.begin(); it != layers.end(); ++it) {
                unsigned int id = it.key();
                if (!io(VornRawLittleEndian(id), it->image, it->offset))
                    return false;
            }
            if (!countDone)
                return false;
        }
        return io(transform, oldTransform);
    }
};

// What a transform of layers (or of their masks) needs: every affected
// layer's pixels and offset before the transform, the transform (from the
// saved image's own pixel coordinates to the document) and the text
// placement to restore on undo.
//
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the GUI thread; the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT TransformCommandData : public VornRecordData<TransformRecord>
{
public:
    static constexpr unsigned int Type = 3;
    unsigned int GetDataType() const override { return Type; }

    // Inserts or replaces the layer's entry (the image shares its tiles).
    void SetUndoLayerImage(unsigned int layer, const KXImage32& image, const QPoint& offset);
    // False, outputs untouched, without a record or an entry for the layer.
    bool GetUndoLayerImage(unsigned int layer, KXImage32& image, QPoint& offset) const;
    // The layer ids of all entries, ascending; empty without a record.
    QList<unsigned int> GetIndexList() const;

    void SetTransform(const QTransform& transform) { EditRecord().transform = transform; }
    void SetOldTransform(const QTransform& transform) { EditRecord().oldTransform = transform; }
    // Null without a record.
    const QTransform* GetTransform() const;
    const QTransform* GetOldTransform() const;

private:
    using Record = TransformRecord;
};

// data typed as TransformCommandData when it is one (type 3), else null.
VORNHISTORY_EXPORT TransformCommandData* transformcommanddata_cast(VornCommandData* data);

#pragma once

#include <QVector>

#include "layerdataitem.h"
#include "selectiondata.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

class KXDocumentInterface;

struct LayerRemoveCommandRecord
{
    QVector<LayerDataItem> items;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(VornList<unsigned int>(items));
    }
};

// The layers a remove command deletes, one complete LayerDataItem each,
// sorted by layer id. The item list is the record: absent until the first
// AddLayerInfo (or Deserialize), deleted by ReleaseSerializeData.
// Record: item count (uint), then each item's record in order.
// Not owned: the selection model. Owns its record; its command owns it until the push,
// the stack's serializer after. Filled and read on the GUI thread; between executions
// the serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT LayerRemoveCommandData : public VornRecordData<LayerRemoveCommandRecord, SelectionData>
{
public:
    static constexpr unsigned int Type = 20;
    unsigned int GetDataType() const override { return Type; }

    // model: the layer panel's selection (not owned, may be null).
    explicit LayerRemoveCommandData(QItemSelectionModel* model);

    // Captures layer id of the document and keeps the items sorted by id.
    void AddLayerInfo(unsigned int id, KXDocumentInterface* document);
    // 0 while there is no record.
    int GetLayerCount() const { return GetRecord() ? GetRecord()->items.size() : 0; }
    // A copy of item index; false without a record or for an index out of range.
    bool GetLayerInfo(LayerDataItem& item, int index) const;
};

// data typed as LayerRemoveCommandData when it is one (type 20), else null.
VORNHISTORY_EXPORT LayerRemoveCommandData* LayerRemoveCommanddata_cast(VornCommandData* data);

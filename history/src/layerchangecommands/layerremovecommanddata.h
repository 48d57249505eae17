#pragma once

#include <QVector>

#include <memory>

#include "layerdataitem.h"
#include "selectiondata.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// The layers a remove command deletes, one complete LayerDataItem each,
// sorted by layer id. The item list is the record: absent until the first
// AddLayerInfo (or Deserialize), deleted by ReleaseSerializeData.
class VORNHISTORY_EXPORT LayerRemoveCommandData : public SelectionData
{
public:
    static constexpr unsigned int Type = 20;

    // model: the layer panel's selection (not owned, may be null).
    explicit LayerRemoveCommandData(QItemSelectionModel* model);
    ~LayerRemoveCommandData() override;

    // Captures layer id of the document and keeps the items sorted by id.
    void AddLayerInfo(unsigned int id, KXDocumentInterface* document);
    // 0 while there is no record.
    int GetLayerCount() const;
    // A copy of item index; false without a record or for an index out of range.
    bool GetLayerInfo(LayerDataItem& item, int index) const;

    // Record: item count (uint), then each item's record in order.
    bool Serialize(IWriter* writer) override;
    bool Deserialize(IReader* reader) override;
    void ReleaseSerializeData() override;
    unsigned int GetDataType() const override;

private:
    std::unique_ptr<QVector<LayerDataItem>> m_items;
};

// data typed as LayerRemoveCommandData when it is one (type 20), else null.
VORNHISTORY_EXPORT LayerRemoveCommandData* LayerRemoveCommanddata_cast(VornCommandData* data);

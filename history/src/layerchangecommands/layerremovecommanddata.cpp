#include "layerremovecommanddata.h"

#include <algorithm>

LayerRemoveCommandData::LayerRemoveCommandData(QItemSelectionModel* model)
    : VornRecordData(model, -1)
{
}

void LayerRemoveCommandData::AddLayerInfo(unsigned int id, KXDocumentInterface* document)
{
    QVector<LayerDataItem>& items = EditRecord().items;
    LayerDataItem item;
    InitLayerItemFromDocument(id, document, item);
    items.append(item);
    std::stable_sort(items.begin(), items.end());
}

bool LayerRemoveCommandData::GetLayerInfo(LayerDataItem& item, int index) const
{
    if (!GetRecord() || index < 0 || index >= GetRecord()->items.size())
        return false;
    item = GetRecord()->items.at(index);
    return true;
}

LayerRemoveCommandData* LayerRemoveCommanddata_cast(VornCommandData* data)
{
    return VornDataCast<LayerRemoveCommandData>(data);
}

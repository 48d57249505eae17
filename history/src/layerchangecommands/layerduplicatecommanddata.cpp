#include "layerduplicatecommanddata.h"

LayerDuplicateCommandData::LayerDuplicateCommandData(QItemSelectionModel* model)
    : LayerDuplicateCommandData(model, -1)
{
}

LayerDuplicateCommandData::LayerDuplicateCommandData(QItemSelectionModel* model, int value)
    : VornRecordData(model, value)
{
}

LayerDuplicateCommandData::~LayerDuplicateCommandData() = default;

void LayerDuplicateCommandData::SetLayerId(unsigned int id)
{
    EditRecord().layerId = id;
}

bool LayerDuplicateCommandData::GetLayerId(unsigned int& id) const
{
    return Field(&Record::layerId, id);
}

unsigned int LayerDuplicateCommandData::GetDataType() const
{
    return Type;
}

LayerDuplicateCommandData* LayerDuplicateCommanddata_cast(VornCommandData* data)
{
    return VornDataCast<LayerDuplicateCommandData>(data);
}

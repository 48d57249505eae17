#include "layercreatecommanddata.h"

LayerCreateCommandData::LayerCreateCommandData(QItemSelectionModel* model, LayerType type, int value)
    : VornRecordData(model, value)
{
    EditRecord().layerType = type;
}

LayerCreateCommandData* LayerCreateCommanddata_cast(VornCommandData* data)
{
    return VornDataCast<LayerCreateCommandData>(data);
}

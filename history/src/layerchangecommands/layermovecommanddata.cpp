#include "layermovecommanddata.h"

#include <QItemSelectionModel>

#include <algorithm>

#include "KXDocumentModel.h"

LayerMoveCommandData::LayerMoveCommandData(CommandType type, KXDocumentModel* model, QItemSelectionModel* selection,
                                           int value)
    : VornRecordData(selection, value)
    , m_model(model)
{
    EditRecord().commandType = type;
}

LayerMoveCommandData::~LayerMoveCommandData() = default;

void LayerMoveCommandData::AddLayer(unsigned int id)
{
    LayerDataItem item;
    InitLayerItemFromDocument(id, m_model ? m_model->GetDocument() : nullptr, item);
    QVector<LayerDataItem>& items = EditRecord().items;
    items.append(item);
    std::stable_sort(items.begin(), items.end());
    UpdateRowsToSelect();
}

void LayerMoveCommandData::SetPos(unsigned int position)
{
    EditRecord().position = position;
    UpdateRowsToSelect();
}

unsigned int LayerMoveCommandData::FirstTargetOfMoveToPos(unsigned int position, int atOrBelow)
{
    return position - unsigned(atOrBelow);
}

void LayerMoveCommandData::UpdateRowsToSelect()
{
    const Record& record = *GetRecord();
    const int count = record.items.size();
    const QItemSelectionModel* selection = GetSelectionModel();
    const int rowCount = selection && selection->model() ? selection->model()->rowCount() : 0;
    int atOrBelow = 0;
    for (const LayerDataItem& item : record.items)
        atOrBelow += item.layerId <= record.position ? 1 : 0;
    const unsigned int firstTarget = FirstTargetOfMoveToPos(record.position, atOrBelow);

    // Row r shows layer id r + 1; rows that fall outside the panel are skipped by selectNew.
    QVector<unsigned int> rows;
    for (int i = 0; i < count; ++i) {
        const unsigned int id = record.items.at(i).layerId;
        switch (record.commandType) {
        case MoveToBottom:
            rows.append(unsigned(i));
            break;
        case MoveDown:
            rows.append(id - 2);
            break;
        case MoveUp:
        case MoveReverse:
            rows.append(id);
            break;
        case MoveToTop:
            rows.append(unsigned(rowCount - 1 - i));
            break;
        case MoveToPos:
            rows.append(firstTarget + unsigned(i) - 1);
            break;
        default:
            break;
        }
    }
    SetRowsToSelect(rows);
}

bool LayerMoveCommandData::GetCommandType(CommandType& type) const
{
    if (!GetRecord())
        return false;
    type = CommandType(GetRecord()->commandType);
    return true;
}

bool LayerMoveCommandData::GetPos(unsigned int& position) const
{
    return Field(&Record::position, position);
}

int LayerMoveCommandData::GetLayerCount() const
{
    return GetRecord() ? GetRecord()->items.size() : 0;
}

bool LayerMoveCommandData::GetLayerInfo(LayerDataItem& item, int index) const
{
    if (index < 0 || index >= GetLayerCount())
        return false;
    item = GetRecord()->items.at(index);
    return true;
}

bool LayerMoveCommandData::WriteItem(IWriter* writer, LayerDataItem& item)
{
    return LayerDataItemWrite(writer, item);
}

bool LayerMoveCommandData::ReadItem(IReader* reader, LayerDataItem& item)
{
    return LayerDataItemRead(reader, item);
}

unsigned int LayerMoveCommandData::GetDataType() const
{
    return Type;
}

LayerMoveCommandData* LayerMoveCommanddata_cast(VornCommandData* data)
{
    return VornDataCast<LayerMoveCommandData>(data);
}

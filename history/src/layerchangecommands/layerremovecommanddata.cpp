#include "layerremovecommanddata.h"

#include <algorithm>

#include "ireader.h"
#include "iwriter.h"

LayerRemoveCommandData::LayerRemoveCommandData(QItemSelectionModel* model)
    : SelectionData(model, -1)
{
}

LayerRemoveCommandData::~LayerRemoveCommandData() = default;

void LayerRemoveCommandData::AddLayerInfo(unsigned int id, KXDocumentInterface* document)
{
    if (!m_items)
        m_items = std::make_unique<QVector<LayerDataItem>>();
    LayerDataItem item;
    InitLayerItemFromDocument(id, document, item);
    m_items->append(item);
    std::stable_sort(m_items->begin(), m_items->end());
}

int LayerRemoveCommandData::GetLayerCount() const
{
    return m_items ? m_items->size() : 0;
}

bool LayerRemoveCommandData::GetLayerInfo(LayerDataItem& item, int index) const
{
    if (!m_items || index < 0 || index >= m_items->size())
        return false;
    item = m_items->at(index);
    return true;
}

bool LayerRemoveCommandData::Serialize(IWriter* writer)
{
    if (!writer || !m_items)
        return false;
    bool ok = writer->WriteUInt(unsigned(m_items->size()));
    for (LayerDataItem& item : *m_items)
        ok &= LayerDataItemWrite(writer, item);
    return ok;
}

bool LayerRemoveCommandData::Deserialize(IReader* reader)
{
    if (!reader)
        return false;
    if (!m_items)
        m_items = std::make_unique<QVector<LayerDataItem>>();
    unsigned int count = 0;
    bool ok = reader->ReadUInt(count);
    m_items->clear();
    for (unsigned int i = 0; ok && i < count; ++i) {
        LayerDataItem item;
        // A failed item is kept, but nothing after it is read: a corrupt
        // count must not make the loop run (and allocate) on and on.
        ok = LayerDataItemRead(reader, item);
        m_items->append(item);
    }
    return ok;
}

void LayerRemoveCommandData::ReleaseSerializeData()
{
    m_items.reset();
}

unsigned int LayerRemoveCommandData::GetDataType() const
{
    return Type;
}

LayerRemoveCommandData* LayerRemoveCommanddata_cast(VornCommandData* data)
{
    if (!data || data->GetDataType() != LayerRemoveCommandData::Type)
        return nullptr;
    return static_cast<LayerRemoveCommandData*>(data);
}

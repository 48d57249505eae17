#include "layermergecommanddata.h"

#include <algorithm>
#include <new>

#include "KXComposeHelper.h"
#include "KXImageOps.h"

namespace {

// Items placed further out than this are left out of the composition: no
// real layer sits there, and rectangle arithmetic must not overflow.
constexpr int kFarthestOffset = 1 << 28;

bool Placeable(const LayerDataItem& item)
{
    return qAbs(item.offset.x()) < kFarthestOffset && qAbs(item.offset.y()) < kFarthestOffset
        && qAbs(item.maskPosition.x()) < kFarthestOffset && qAbs(item.maskPosition.y()) < kFarthestOffset;
}

QRect ItemRect(const LayerDataItem& item)
{
    return QRect(item.offset, item.image.GetSize());
}

} // namespace

LayerMergeCommandData::LayerMergeCommandData(QItemSelectionModel* model)
    : VornRecordData(model, -1)
{
}

LayerMergeCommandData::~LayerMergeCommandData() = default;

void LayerMergeCommandData::AddLayer(unsigned int id, KXDocumentInterface* document, bool merge)
{
    LayerDataItem item;
    InitLayerItemFromDocument(id, document, item);
    item.merge = merge;
    QVector<LayerDataItem>& items = EditRecord().items;
    items.append(item);
    std::stable_sort(items.begin(), items.end());
}

void LayerMergeCommandData::MergeLayer(unsigned int id, KXDocumentInterface* document)
{
    AddLayer(id, document, true);
}

void LayerMergeCommandData::DeleteLayer(unsigned int id, KXDocumentInterface* document)
{
    AddLayer(id, document, false);
}

int LayerMergeCommandData::GetLayerCount() const
{
    return GetRecord() ? GetRecord()->items.size() : 0;
}

bool LayerMergeCommandData::GetLayerInfo(LayerDataItem& item, int index) const
{
    if (index < 0 || index >= GetLayerCount())
        return false;
    item = GetRecord()->items.at(index);
    return true;
}

bool LayerMergeCommandData::GetMergedLayerInfo(LayerDataItem& item)
{
    if (!GetRecord())
        return false;
    PremergeImage();
    item = GetRecord()->merged;
    return true;
}

bool LayerMergeCommandData::IsPremerged() const
{
    return GetRecord() && GetRecord()->premerged;
}

bool LayerMergeCommandData::WriteItem(IWriter* writer, LayerDataItem& item)
{
    return LayerDataItemWrite(writer, item);
}

bool LayerMergeCommandData::ReadItem(IReader* reader, LayerDataItem& item)
{
    return LayerDataItemRead(reader, item);
}

void LayerMergeCommandData::PremergeImage()
{
    if (!GetRecord() || GetRecord()->premerged)
        return;
    Record& record = EditRecord();
    QVector<const LayerDataItem*> merging; // highest id first
    for (auto item = record.items.crbegin(); item != record.items.crend(); ++item)
        if (item->merge && Placeable(*item))
            merging.append(&*item);
    QRect bounds;
    for (const LayerDataItem* item : qAsConst(merging))
        bounds |= ItemRect(*item);
    if (bounds.isEmpty())
        return;

    KXImage32 result;
    try {
        result = KXImage32(unsigned(bounds.width()), unsigned(bounds.height()));
    } catch (const std::bad_alloc&) {
        return; // too large to compose: the merge stays without a result
    }
    const QRect resultRect = result.GetRect();
    for (const LayerDataItem* item : qAsConst(merging)) {
        const QRect destination = ItemRect(*item).translated(-bounds.topLeft()) & resultRect;
        if (destination.isEmpty())
            continue;
        const QRect source = destination.translated(bounds.topLeft() - item->offset);
        const unsigned int mode = KXComposeHelper::ToImageBlendMode(item->blendMode);
        if (item->maskCreated && item->maskEnabled) {
            const QRect maskRect = QRect(item->maskPosition - bounds.topLeft(), item->mask.GetSize()) & resultRect;
            BlendMaskOn(item->image, source, mode, result, destination, item->opacity, item->mask, maskRect, true,
                        false);
        } else {
            BlendOn(item->image, source, mode, result, destination, item->opacity, false);
        }
    }

    record.merged.image = result;
    record.merged.layerId = record.items.first().layerId;
    record.merged.offset = bounds.topLeft();
    record.merged.visible = true;
    record.merged.name = QStringLiteral("Merged Layer");
    record.premerged = true;
}

unsigned int LayerMergeCommandData::GetDataType() const
{
    return Type;
}

LayerMergeCommandData* LayerMergeCommanddata_cast(VornCommandData* data)
{
    return VornDataCast<LayerMergeCommandData>(data);
}

#include "layermergecommand.h"

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "layermergecommanddata.h"

LayerMergeCommand::LayerMergeCommand(KXDocumentInterface* document, bool flag)
    : m_document(document)
    , m_flag(flag)
{
}

LayerMergeCommand::~LayerMergeCommand() = default;

LayerMergeCommandData* LayerMergeCommand::CheckedData(VornCommandData* data, LayerDataItem& merged) const
{
    if (!m_document) {
        VORN_REPORT(QStringLiteral("Wrong document."));
        return nullptr;
    }
    LayerMergeCommandData* mergeData = LayerMergeCommanddata_cast(data);
    if (!mergeData) {
        VORN_REPORT(QStringLiteral("Error input data."));
        return nullptr;
    }
    if (!mergeData->GetMergedLayerInfo(merged)) {
        VORN_REPORT(QStringLiteral("Error to get data."));
        return nullptr;
    }
    return mergeData;
}

unsigned int LayerMergeCommand::TargetId(const LayerDataItem& merged) const
{
    return m_document->GetLayerCount() == 1 ? 1 : merged.layerId;
}

void LayerMergeCommand::RedoExecute(VornCommandData* data)
{
    LayerDataItem merged;
    LayerMergeCommandData* mergeData = CheckedData(data, merged);
    if (!mergeData)
        return;
    mergeData->copyCurrentSelection();
    LayerDataItem item;
    // Highest id first, so that the ids still to remove do not shift.
    for (int index = mergeData->GetLayerCount() - 1; index >= 0; --index)
        if (mergeData->GetLayerInfo(item, index) && !item.merge)
            m_document->RemoveLayer(item.layerId);
    const unsigned int target = TargetId(merged);
    m_document->CreateRasterLayer(merged.name, target);
    m_document->MoveLayer(target, merged.offset);
    m_document->SetLayerVisible(target, merged.visible);
    m_document->SetLayerImage(target, merged.image);
    mergeData->selectNew();
    mergeData->swapSelection();
    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void LayerMergeCommand::UndoExecute(VornCommandData* data)
{
    LayerDataItem merged;
    LayerMergeCommandData* mergeData = CheckedData(data, merged);
    if (!mergeData)
        return;
    mergeData->copyCurrentSelection();
    m_document->RemoveLayer(TargetId(merged));
    // Lowest id first: every deleted layer goes back to its old position.
    LayerDataItem item;
    for (int index = 0; index < mergeData->GetLayerCount(); ++index)
        if (mergeData->GetLayerInfo(item, index) && !item.merge)
            InitLayerItemToDocument(m_document, item);
    mergeData->selectNew();
    mergeData->swapSelection();
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

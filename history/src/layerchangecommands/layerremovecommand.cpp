#include "layerremovecommand.h"

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "layerremovecommanddata.h"

LayerRemoveCommand::LayerRemoveCommand(KXDocumentInterface* document, bool flag)
    : m_document(document)
    , m_flag(flag)
{
}

LayerRemoveCommand::~LayerRemoveCommand() = default;

LayerRemoveCommandData* LayerRemoveCommand::CheckedData(VornCommandData* data) const
{
    if (!m_document) {
        VORN_REPORT(QStringLiteral("Wrong document."));
        return nullptr;
    }
    LayerRemoveCommandData* removeData = LayerRemoveCommanddata_cast(data);
    if (!removeData)
        VORN_REPORT(QStringLiteral("Error input data."));
    return removeData;
}

bool LayerRemoveCommand::CollectIds(const LayerRemoveCommandData& data, QList<unsigned int>& ids)
{
    ids.clear();
    LayerDataItem item;
    for (int index = 0; index < data.GetLayerCount(); ++index) {
        if (!data.GetLayerInfo(item, index)) {
            VORN_REPORT(QStringLiteral("Error to get data."));
            return false;
        }
        ids.append(item.layerId);
    }
    return true;
}

void LayerRemoveCommand::SaveFlags(const QList<unsigned int>& ids)
{
    m_savedLocks.clear();
    for (unsigned int id : ids)
        m_savedLocks.append(m_document->GetLayerLocks(id));
}

void LayerRemoveCommand::RestoreFlags(const QList<unsigned int>& ids)
{
    // An undo without a redo before it has no saved locks.
    const int count = qMin(ids.size(), m_savedLocks.size());
    for (int i = 0; i < count; ++i)
        m_document->SetLayerLocks(ids.at(i), m_savedLocks.at(i));
}

void LayerRemoveCommand::RedoExecute(VornCommandData* data)
{
    LayerRemoveCommandData* removeData = CheckedData(data);
    if (!removeData)
        return;
    removeData->copyCurrentSelection();
    QList<unsigned int> ids;
    if (!CollectIds(*removeData, ids))
        return;
    SaveFlags(ids);
    // Highest id first, so that the ids still to remove do not shift.
    for (int index = ids.size() - 1; index >= 0; --index)
        m_document->RemoveLayer(ids.at(index));
    removeData->selectNew();
    removeData->swapSelection();
    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void LayerRemoveCommand::UndoExecute(VornCommandData* data)
{
    LayerRemoveCommandData* removeData = CheckedData(data);
    if (!removeData)
        return;
    removeData->copyCurrentSelection();
    // Lowest id first: every layer goes back to its old position.
    LayerDataItem item;
    for (int index = 0; index < removeData->GetLayerCount(); ++index) {
        if (!removeData->GetLayerInfo(item, index)) {
            VORN_REPORT(QStringLiteral("Error to get data."));
            return;
        }
        InitLayerItemToDocument(m_document, item);
    }
    removeData->selectNew();
    removeData->swapSelection();
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
    QList<unsigned int> ids;
    if (CollectIds(*removeData, ids))
        RestoreFlags(ids);
}

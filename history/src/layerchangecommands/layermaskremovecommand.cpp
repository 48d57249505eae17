#include "layermaskremovecommand.h"

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "layermaskremovecommanddata.h"

LayerMaskRemoveCommand::LayerMaskRemoveCommand(KXDocumentInterface* document, bool flag)
    : m_document(document)
    , m_flag(flag)
{
}

LayerMaskRemoveCommand::~LayerMaskRemoveCommand() = default;

LayerMaskRemoveCommandData* LayerMaskRemoveCommand::CheckedData(VornCommandData* data) const
{
    if (!m_document) {
        VORN_REPORT(QStringLiteral("Wrong document."));
        return nullptr;
    }
    LayerMaskRemoveCommandData* maskData = layermaskremovecommanddata_cast(data);
    if (!maskData)
        VORN_REPORT(QStringLiteral("Error input data."));
    return maskData;
}

void LayerMaskRemoveCommand::RedoExecute(VornCommandData* data)
{
    LayerMaskRemoveCommandData* maskData = CheckedData(data);
    if (!maskData)
        return;
    unsigned int id = 0;
    if (!maskData->GetLayerId(id)) {
        VORN_REPORT(QStringLiteral("Error to get data."));
        return;
    }
    m_document->RemoveLayerMask(id);
    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void LayerMaskRemoveCommand::UndoExecute(VornCommandData* data)
{
    LayerMaskRemoveCommandData* maskData = CheckedData(data);
    if (!maskData)
        return;
    KXImage32 mask;
    unsigned int id = 0;
    QPoint offset;
    bool maskType = false;
    bool enabled = false;
    if (!maskData->GetMaskImage(mask) || !maskData->GetLayerId(id) || !maskData->GetMaskOffset(offset)
        || !maskData->GetMaskType(maskType) || !maskData->GetMaskState(enabled)) {
        VORN_REPORT(QStringLiteral("Error to get data."));
        return;
    }
    m_document->CreateLayerMask(id, mask, maskType);
    m_document->SetMaskPos(id, offset);
    m_document->SetMaskEnabled(id, enabled);
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

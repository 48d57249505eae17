#include "layermaskcreatecommand.h"

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "layermaskcreatecommanddata.h"

LayerMaskCreateCommand::LayerMaskCreateCommand(KXDocumentInterface* document, bool flag, KXDocumentModel* model)
    : m_document(document)
    , m_flag(flag)
    , m_model(model)
{
}

LayerMaskCreateCommand::~LayerMaskCreateCommand() = default;

LayerMaskCreateCommandData* LayerMaskCreateCommand::CheckedData(VornCommandData* data) const
{
    if (!m_document) {
        VORN_REPORT(QStringLiteral("Wrong document."));
        return nullptr;
    }
    LayerMaskCreateCommandData* maskData = LayerMaskCreateCommanddata_cast(data);
    if (!maskData)
        VORN_REPORT(QStringLiteral("Error input data."));
    return maskData;
}

void LayerMaskCreateCommand::RedoExecute(VornCommandData* data)
{
    LayerMaskCreateCommandData* maskData = CheckedData(data);
    if (!maskData)
        return;
    unsigned int id = 0;
    QPoint offset;
    bool maskType = false;
    KXImage32 mask;
    if (!maskData->GetLayerId(id) || !maskData->GetMaskOffset(offset) || !maskData->GetMaskType(maskType)
        || !maskData->GetImage(mask)) {
        VORN_REPORT(QStringLiteral("Error to get data."));
        return;
    }
    m_document->CreateLayerMask(id, mask, maskType);
    m_document->SetMaskPos(id, offset);
    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void LayerMaskCreateCommand::UndoExecute(VornCommandData* data)
{
    LayerMaskCreateCommandData* maskData = CheckedData(data);
    if (!maskData)
        return;
    unsigned int id = 0;
    if (!maskData->GetLayerId(id)) {
        VORN_REPORT(QStringLiteral("Error to get data."));
        return;
    }
    m_document->RemoveLayerMask(id);
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

#include "adjustmentchangecommand.h"

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "adjustmentchangecommanddata.h"

namespace {
const char* const kBadInput = "Error command. No Document or No CommandData.";
}

AdjustmentChangeCommand::AdjustmentChangeCommand(KXDocumentInterface* document)
    : m_document(document)
{
}

AdjustmentChangeCommand::~AdjustmentChangeCommand() = default;

void AdjustmentChangeCommand::UndoExecute(VornCommandData* data)
{
    Apply(data, false);
}

void AdjustmentChangeCommand::RedoExecute(VornCommandData* data)
{
    Apply(data, true);
}

void AdjustmentChangeCommand::Apply(VornCommandData* data, bool redo)
{
    const auto* changeData = VornDataCast<AdjustmentChangeCommandData>(data);
    if (!changeData || !m_document) {
        VORN_REPORT(QString::fromLatin1(kBadInput));
        return;
    }
    QByteArray params;
    unsigned int id = 0;
    ZTAdjustment* adjustment = nullptr;
    ZTAdjustmentTarget target;
    const bool hasParams = redo ? changeData->GetNewParams(params) : changeData->GetPrevParams(params);
    if (!hasParams || !changeData->GetLayerID(id) || !m_document->GetLayerAdjustment(id, adjustment) || !adjustment
        || !m_document->GetAdjustmentTarget(id, target) || !adjustment->SetParams(target, params))
        return;
    // The parameters live in the layer's block; the document is told to show them.
    m_document->UpdateView(QRect(0, 0, -1, -1));
    m_document->SetDocumentState(m_document->GetDocumentState() + (redo ? 1 : -1));
}

void AdjustmentChangeCommand::BeginTransaction()
{
    if (m_document)
        m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void AdjustmentChangeCommand::EndTransaction(VornCommandData* data)
{
    auto* changeData = VornDataCast<AdjustmentChangeCommandData>(data);
    if (!changeData || !m_document) {
        VORN_REPORT(QString::fromLatin1(kBadInput));
        return;
    }
    unsigned int id = 0;
    ZTAdjustment* adjustment = nullptr;
    ZTAdjustmentTarget target;
    if (changeData->GetLayerID(id) && m_document->GetLayerAdjustment(id, adjustment) && adjustment
        && m_document->GetAdjustmentTarget(id, target))
        changeData->SetNewParams(adjustment->GetParams(target));
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

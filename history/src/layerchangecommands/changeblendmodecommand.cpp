#include "changeblendmodecommand.h"

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "changeblendmodecommanddata.h"

namespace {
const char* const kBadInput = "Error command. No Document or No CommandData.";
}

ChangeBlendCommand::ChangeBlendCommand(KXDocumentInterface* document)
    : m_document(document)
{
}

ChangeBlendCommand::~ChangeBlendCommand() = default;

void ChangeBlendCommand::UndoExecute(VornCommandData* data)
{
    Apply(data, false);
}

void ChangeBlendCommand::RedoExecute(VornCommandData* data)
{
    Apply(data, true);
}

void ChangeBlendCommand::Apply(VornCommandData* data, bool redo)
{
    const ChangeBlendModeCommandData* modeData = changeblenddata_cast(data);
    if (!modeData || !m_document) {
        VORN_REPORT(QString::fromLatin1(kBadInput));
        return;
    }
    unsigned int mode = 0;
    unsigned int layer = 0;
    const bool hasMode = redo ? modeData->GetNewMode(mode) : modeData->GetOldMode(mode);
    if (hasMode && modeData->GetLayerNumber(layer))
        m_document->SetLayerBlendMode(layer, mode);
    m_document->SetDocumentState(m_document->GetDocumentState() + (redo ? 1 : -1));
}

void ChangeBlendCommand::BeginTransaction()
{
    if (m_document)
        m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void ChangeBlendCommand::EndTransaction(VornCommandData* data)
{
    ChangeBlendModeCommandData* modeData = changeblenddata_cast(data);
    if (!modeData || !m_document) {
        VORN_REPORT(QString::fromLatin1(kBadInput));
        return;
    }
    unsigned int layer = 0;
    if (modeData->GetLayerNumber(layer))
        modeData->SetNewMode(m_document->GetLayerBlendMode(layer));
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

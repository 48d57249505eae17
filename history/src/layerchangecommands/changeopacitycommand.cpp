#include "changeopacitycommand.h"

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "changeopacitycommanddata.h"

namespace {
const char* const kBadInput = "Command error. No Docuemnt or No CommandData.";
}

ChangeOpacityCommand::ChangeOpacityCommand(KXDocumentInterface* document)
    : m_document(document)
{
}

ChangeOpacityCommand::~ChangeOpacityCommand() = default;

void ChangeOpacityCommand::UndoExecute(VornCommandData* data)
{
    Apply(data, false);
}

void ChangeOpacityCommand::RedoExecute(VornCommandData* data)
{
    Apply(data, true);
}

void ChangeOpacityCommand::Apply(VornCommandData* data, bool redo)
{
    const ChangeOpacityCommandData* opacityData = changeopacitydata_cast(data);
    if (!opacityData || !m_document) {
        VORN_REPORT(QString::fromLatin1(kBadInput));
        return;
    }
    double opacity = 0;
    unsigned int layer = 0;
    const bool hasOpacity = redo ? opacityData->GetNewOpacity(opacity) : opacityData->GetOldOpacity(opacity);
    if (hasOpacity && opacityData->GetLayerNumber(layer))
        m_document->SetLayerOpacity(layer, opacity);
    m_document->SetDocumentState(m_document->GetDocumentState() + (redo ? 1 : -1));
}

void ChangeOpacityCommand::BeginTransaction()
{
    if (m_document)
        m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void ChangeOpacityCommand::EndTransaction(VornCommandData* data)
{
    ChangeOpacityCommandData* opacityData = changeopacitydata_cast(data);
    if (!opacityData || !m_document) {
        VORN_REPORT(QString::fromLatin1(kBadInput));
        return;
    }
    unsigned int layer = 0;
    if (opacityData->GetLayerNumber(layer))
        opacityData->SetNewOpacity(m_document->GetLayerOpacity(layer));
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

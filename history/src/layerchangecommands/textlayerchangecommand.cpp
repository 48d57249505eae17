#include "textlayerchangecommand.h"

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "textlayerchangecommanddata.h"
#include "textlayeredit_p.h"

namespace {
const char* const kBadInput = "Error command. No Document or No CommandData.";
}

TextLayerChangeCommand::TextLayerChangeCommand(KXDocumentInterface* document)
    : m_document(document)
{
}

TextLayerChangeCommand::~TextLayerChangeCommand() = default;

void TextLayerChangeCommand::UndoExecute(VornCommandData* data)
{
    Apply(data, false);
}

void TextLayerChangeCommand::RedoExecute(VornCommandData* data)
{
    Apply(data, true);
}

void TextLayerChangeCommand::Apply(VornCommandData* data, bool redo)
{
    const auto* textData = VornDataCast<TextLayerChangeCommandData>(data);
    if (!textData || !m_document) {
        VORN_REPORT(QString::fromLatin1(kBadInput));
        return;
    }
    // Without its record the data has no values to apply (like an opacity
    // change without one, the execution still counts).
    const unsigned int id = textData->GetLayerID();
    if (textData->HasRecord())
        WriteTextAttributes(m_document, id, textData->Attributes(!redo));
    m_document->SetDocumentState(m_document->GetDocumentState() + (redo ? 1 : -1));
    if (textData->HasRecord())
        RenderTextLayer(m_document, id);
}

void TextLayerChangeCommand::BeginTransaction()
{
    if (m_document)
        m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void TextLayerChangeCommand::EndTransaction(VornCommandData* data)
{
    auto* textData = VornDataCast<TextLayerChangeCommandData>(data);
    if (!textData || !m_document) {
        VORN_REPORT(QString::fromLatin1(kBadInput));
        return;
    }
    if (textData->HasRecord())
        textData->SetAttributes(false, ReadTextAttributes(m_document, textData->GetLayerID()));
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

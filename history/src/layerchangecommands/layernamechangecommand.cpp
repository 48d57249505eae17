#include "layernamechangecommand.h"

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "layernamechangecommanddata.h"

LayerNameChangeCommand::LayerNameChangeCommand(KXDocumentInterface* document)
    : m_document(document)
{
}

LayerNameChangeCommand::~LayerNameChangeCommand() = default;

void LayerNameChangeCommand::UndoExecute(VornCommandData* data)
{
    Apply(data, false);
}

void LayerNameChangeCommand::RedoExecute(VornCommandData* data)
{
    Apply(data, true);
}

void LayerNameChangeCommand::Apply(VornCommandData* data, bool redo)
{
    if (!data || data->GetDataType() != LayerNameChangeCommandData::Type || !m_document) {
        VORN_REPORT(QStringLiteral("Error command. No Document or No CommandData."));
        return;
    }
    const auto* nameData = static_cast<const LayerNameChangeCommandData*>(data);
    unsigned int id = 0;
    QString name;
    if (!nameData->GetLayerID(id) || !(redo ? nameData->GetNewName(name) : nameData->GetOldName(name)))
        return;
    m_document->SetLayerName(id, name);
    m_document->SetDocumentState(m_document->GetDocumentState() + (redo ? 1 : -1));
}

void LayerNameChangeCommand::EndTransaction(VornCommandData*)
{
}

void LayerNameChangeCommand::BeginTransaction()
{
}

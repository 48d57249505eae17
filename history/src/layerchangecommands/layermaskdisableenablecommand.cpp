#include "layermaskdisableenablecommand.h"

#include "KXDocumentInterface.h"
#include "layerduplicatecommanddata.h"

LayerMaskDisableEnableCommand::LayerMaskDisableEnableCommand(KXDocumentInterface* document)
    : m_document(document)
{
    auto* data = new LayerDuplicateCommandData(nullptr);
    data->SetLayerId(0);
    SetCommandData(data);
}

LayerMaskDisableEnableCommand::~LayerMaskDisableEnableCommand() = default;

void LayerMaskDisableEnableCommand::addLayerId(unsigned int id)
{
    m_ids.append(id);
}

void LayerMaskDisableEnableCommand::Toggle()
{
    if (!m_document)
        return;
    for (unsigned int id : qAsConst(m_ids))
        m_document->SetMaskEnabled(id, !m_document->GetMaskEnabled(id));
}

void LayerMaskDisableEnableCommand::RedoExecute(VornCommandData*)
{
    Toggle();
}

void LayerMaskDisableEnableCommand::UndoExecute(VornCommandData*)
{
    Toggle();
}

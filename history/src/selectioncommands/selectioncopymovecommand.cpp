#include "selectioncopymovecommand.h"

#include "selectioncopymovecommanddata.h"

SelectionCopyMoveCommand::SelectionCopyMoveCommand(KXDocumentInterface* document)
    : m_document(document)
{
}

SelectionCopyMoveCommand::~SelectionCopyMoveCommand() = default;

SelectionCopyMoveCommandData* SelectionCopyMoveCommand::data_cast(VornCommandData* data)
{
    return VornDataCast<SelectionCopyMoveCommandData>(data);
}

void SelectionCopyMoveCommand::UndoExecute(VornCommandData* /*data*/)
{
}

void SelectionCopyMoveCommand::RedoExecute(VornCommandData* /*data*/)
{
}

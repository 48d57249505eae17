#include "selectionmovecommand.h"

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "checkedgeometry_p.h"
#include "selectionmovecommanddata.h"

namespace {
const char* const kNoDocument = "No document.";
}

SelectionMoveCommand::SelectionMoveCommand(KXDocumentInterface* document)
    : m_document(document)
{
}

SelectionMoveCommand::~SelectionMoveCommand() = default;

void SelectionMoveCommand::BeginTransaction()
{
    if (m_document)
        m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void SelectionMoveCommand::EndTransaction(VornCommandData* data)
{
    if (!m_document) {
        VORN_REPORT(QString::fromLatin1(kNoDocument));
        return;
    }
    if (SelectionMoveCommandData* moveData = selectionmovedata_cast(data))
        moveData->SetRedoPosition(m_document->GetSelectionGeometry().topLeft());
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

void SelectionMoveCommand::RedoExecute(VornCommandData* data)
{
    if (!m_document) {
        VORN_REPORT(QString::fromLatin1(kNoDocument));
        return;
    }
    const SelectionMoveCommandData* moveData = selectionmovedata_cast(data);
    QPoint position;
    // A position beyond any document would overflow the selection's rectangle.
    if (!moveData || !moveData->RedoPosition(position) || !CheckedGeometry::IsPlaceable(position)) {
        VORN_REPORT(QStringLiteral("No redo data."));
        return;
    }
    m_document->MoveToSelection(position);
    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void SelectionMoveCommand::UndoExecute(VornCommandData* data)
{
    if (!m_document) {
        VORN_REPORT(QString::fromLatin1(kNoDocument));
        return;
    }
    const SelectionMoveCommandData* moveData = selectionmovedata_cast(data);
    QPoint position;
    // A position beyond any document would overflow the selection's rectangle.
    if (!moveData || !moveData->UndoPosition(position) || !CheckedGeometry::IsPlaceable(position)) {
        VORN_REPORT(QStringLiteral("No undo data."));
        return;
    }
    m_document->MoveToSelection(position);
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

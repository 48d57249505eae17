#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// A drag of the selection outline (data: SelectionMoveCommandData): only the
// selection's position changes. A live edit: BeginTransaction raises the
// state counter, the application drags, and EndTransaction reads the final
// position from the document and lowers the counter again; redo moves the
// selection to the redo position (counter + 1), undo back (counter - 1).
//
// Owned by the undo stack once pushed; holds its document without owning it;
// its data belongs to the stack's serializer after the push. Use it on the GUI thread.
class VORNHISTORY_EXPORT SelectionMoveCommand : public VornCommand
{
public:
    // The document is not owned; without one every operation reports.
    explicit SelectionMoveCommand(KXDocumentInterface* document);
    ~SelectionMoveCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;
    void EndTransaction(VornCommandData* data) override;
    void BeginTransaction() override;

private:
    KXDocumentInterface* m_document;
};

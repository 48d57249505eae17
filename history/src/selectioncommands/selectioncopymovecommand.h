#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class SelectionCopyMoveCommandData;

// Carries the data of a copy-move of selected pixels
// (SelectionCopyMoveCommandData), which the serializer swaps out like any
// other; the application applies and reverts the move itself, so undo and
// redo change nothing here.
//
// Owned by the undo stack once pushed; holds its document without owning it;
// its data belongs to the stack's serializer after the push. Use it on the GUI thread.
class VORNHISTORY_EXPORT SelectionCopyMoveCommand : public VornCommand
{
public:
    // The document is not owned.
    explicit SelectionCopyMoveCommand(KXDocumentInterface* document);
    ~SelectionCopyMoveCommand() override;

    // data typed as SelectionCopyMoveCommandData when it is one (type 39), else null.
    static SelectionCopyMoveCommandData* data_cast(VornCommandData* data);

    // The document the copy-move was made in, for a host that applies it.
    KXDocumentInterface* GetDocument() const { return m_document; }

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    KXDocumentInterface* m_document;
};

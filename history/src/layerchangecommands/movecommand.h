#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class MoveCommandData;

// Moves layers, layer masks or both by one delta, with the selection and the
// text placement (data: MoveCommandData). Undo moves by the negated delta.
//
// With firstRedo false the application has already moved everything (a
// move-tool drag): the first redo only counts the change. Any redo or undo
// clears that state, so later redos move again.
// Owned by the undo stack once pushed; holds its document without owning it; its data
// belongs to the stack's serializer after the push. Use it on the GUI thread, which
// owns the stack and the document.
class VORNHISTORY_EXPORT MoveCommand : public VornCommand
{
public:
    // The document is not owned and may be null (every execution then reports).
    MoveCommand(KXDocumentInterface* document, bool firstRedoFlag);
    ~MoveCommand() override;

    // False until the first redo or undo has run (or from the start, when built with true).
    bool GetFirstRedo() const { return m_firstRedo; }

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    // The data when it is a MoveCommandData and there is a document; reports otherwise.
    MoveCommandData* CheckedData(VornCommandData* data) const;
    // Moves everything the data lists by the delta (redo) or its negation
    // (undo) and moves the counter by one; reports when the data has no record.
    void Move(const MoveCommandData& data, bool redo);

    KXDocumentInterface* m_document;
    bool m_firstRedo;
};

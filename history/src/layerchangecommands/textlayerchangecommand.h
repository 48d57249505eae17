#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// Sets every text attribute of one text layer (data: TextLayerChangeCommandData)
// and renders the layer again: redo applies the redo set, undo the undo set.
//
// As a live edit (VornUndoStack::pushDelayed) the host fills the undo set and
// the layer id, then edits the layer in the document while the user types;
// the commit copies the layer's attributes then into the redo set. The
// transaction adds 1 to the document state counter at its start and takes it
// off at its end; each execution moves it by 1.
// Owned by the undo stack once pushed; holds its document without owning it; its data
// belongs to the stack's serializer after the push. Use it on the GUI thread, which
// owns the stack and the document.
class VORNHISTORY_EXPORT TextLayerChangeCommand : public VornCommand
{
public:
    // The document is not owned and may be null (every execution then reports).
    explicit TextLayerChangeCommand(KXDocumentInterface* document);
    ~TextLayerChangeCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;
    void EndTransaction(VornCommandData* data) override;
    void BeginTransaction() override;

private:
    void Apply(VornCommandData* data, bool redo);

    KXDocumentInterface* m_document;
};

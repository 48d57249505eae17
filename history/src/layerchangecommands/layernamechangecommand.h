#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// Renames one layer (data: LayerNameChangeCommandData). The document state
// counter moves only when a name was applied. No live edit: the transaction
// operations do nothing.
// Owned by the undo stack once pushed; holds its document without owning it; its data
// belongs to the stack's serializer after the push. Use it on the GUI thread, which
// owns the stack and the document.
class VORNHISTORY_EXPORT LayerNameChangeCommand : public VornCommand
{
public:
    // The document is not owned and may be null (every execution then reports).
    explicit LayerNameChangeCommand(KXDocumentInterface* document);
    ~LayerNameChangeCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;
    void EndTransaction(VornCommandData* data) override;
    void BeginTransaction() override;

private:
    // Sets the old (undo) or new (redo) name and moves the state counter by
    // one, only when the data has a record.
    void Apply(VornCommandData* data, bool redo);

    KXDocumentInterface* m_document;
};

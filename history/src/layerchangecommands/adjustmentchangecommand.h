#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// Changes the parameters of one adjustment layer (data:
// AdjustmentChangeCommandData). An execution moves the document state counter
// only when it applied the parameters: a layer that is not an adjustment
// layer, or parameters the adjustment refuses, leave everything as it was.
//
// As a live edit (VornUndoStack::pushDelayed) the host fills the previous
// parameters and the layer id, then changes the layer's parameters in the
// document while the user drags; the commit takes the parameters the layer
// has then as the new ones. The transaction adds 1 to the counter at its
// start and takes it off at its end.
// Owned by the undo stack once pushed; holds its document without owning it; its data
// belongs to the stack's serializer after the push. Use it on the GUI thread, which
// owns the stack and the document.
class VORNHISTORY_EXPORT AdjustmentChangeCommand : public VornCommand
{
public:
    // The document is not owned and may be null (every execution then reports).
    explicit AdjustmentChangeCommand(KXDocumentInterface* document);
    ~AdjustmentChangeCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;
    void EndTransaction(VornCommandData* data) override;
    void BeginTransaction() override;

private:
    void Apply(VornCommandData* data, bool redo);

    KXDocumentInterface* m_document;
};

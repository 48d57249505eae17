#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// Changes the blend mode of one layer (data: ChangeBlendModeCommandData).
//
// As a live edit (VornUndoStack::pushDelayed) the host fills the old mode and
// the layer number, then changes the layer's mode in the document directly;
// when the command is committed it takes the mode the layer has then as its
// new mode. The transaction raises the document state counter at its start
// and lowers it at its end, so only executions move it for good.
// Owned by the undo stack once pushed; holds its document without owning it; its data
// belongs to the stack's serializer after the push. Use it on the GUI thread, which
// owns the stack and the document.
class VORNHISTORY_EXPORT ChangeBlendCommand : public VornCommand
{
public:
    // The document is not owned and may be null (every execution then reports).
    explicit ChangeBlendCommand(KXDocumentInterface* document);
    ~ChangeBlendCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;
    void EndTransaction(VornCommandData* data) override;
    void BeginTransaction() override;

private:
    // Sets the old (undo) or new (redo) mode, when the data has them, and
    // moves the state counter by one either way.
    void Apply(VornCommandData* data, bool redo);

    KXDocumentInterface* m_document;
};

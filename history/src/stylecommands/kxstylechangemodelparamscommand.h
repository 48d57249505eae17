#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class KXStyleChangeModelParamsCommandData;

// Sets the settings block and enabled flag of every effect of the layer
// style, row by row, from a snapshot: the undo one on undo, the redo one on
// redo. Which effects there are does not change.
// Data: KXStyleChangeModelParamsCommandData; the host fills the undo entries.
//
// A live edit (VornUndoStack::pushDelayed) of the style dialog's parameters,
// with the transaction protocol of KXStyleChangeModelCommand: start +1, the
// host edits the model, end takes the redo entries from the model and -1,
// the push's redo +1. When the style's row count is not the snapshot's entry
// count (the effects changed underneath) an execution reports "Cammand
// sequence was broken." and changes no effect. Every execution past the data
// check moves the counter, with or without a style model.
// Owned by the undo stack once pushed; holds its document without owning it;
// its data belongs to the stack's serializer after the push. Use it on the
// thread that owns the stack and the document (the GUI thread).
class VORNHISTORY_EXPORT KXStyleChangeModelParamsCommand : public VornCommand
{
public:
    // The document is not owned and may be null (every execution then reports).
    explicit KXStyleChangeModelParamsCommand(KXDocumentInterface* document);
    ~KXStyleChangeModelParamsCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;
    void EndTransaction(VornCommandData* data) override;
    void BeginTransaction() override;

private:
    // The data typed, or null after reporting bad data or a missing document.
    KXStyleChangeModelParamsCommandData* Checked(VornCommandData* data) const;
    // Puts the undo or redo entries into the style, then moves the counter.
    void Apply(VornCommandData* data, bool redo);

    KXDocumentInterface* m_document;
};

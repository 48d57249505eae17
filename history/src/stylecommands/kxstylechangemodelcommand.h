#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class KXStyleChangeModelCommandData;

// Replaces the whole layer style (name, style UID, every effect) with a
// snapshot: the undo one on undo, the redo one on redo.
// Data: KXStyleChangeModelCommandData; the host fills the undo snapshot.
//
// A live edit (VornUndoStack::pushDelayed) of the style dialog: the
// transaction raises the state counter at its start; the host edits the
// style model directly; at commit the end of the transaction takes the
// model's final state as the redo snapshot and lowers the counter, and the
// push's redo applies the snapshot and raises it again. Built with skip
// true, the next redo does nothing at all (the style already is what the
// host made it); any undo clears the flag.
//
// Without a style model nothing changes but the counter still moves. Data
// without a record (one that could not be read back) leaves the style as it
// is as well, rather than emptying it.
// Owned by the undo stack once pushed; holds its document without owning it;
// its data belongs to the stack's serializer after the push. Use it on the
// thread that owns the stack and the document (the GUI thread).
class VORNHISTORY_EXPORT KXStyleChangeModelCommand : public VornCommand
{
public:
    // The document is not owned and may be null (every execution then reports).
    KXStyleChangeModelCommand(KXDocumentInterface* document, bool skip);
    ~KXStyleChangeModelCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;
    void EndTransaction(VornCommandData* data) override;
    void BeginTransaction() override;

private:
    // The data typed, or null after reporting bad data or a missing document.
    KXStyleChangeModelCommandData* Checked(VornCommandData* data) const;
    // Puts the undo or redo snapshot into the style, then moves the counter.
    void Apply(const KXStyleChangeModelCommandData& data, bool redo);

    KXDocumentInterface* m_document;
    bool m_skipNextRedo;
};

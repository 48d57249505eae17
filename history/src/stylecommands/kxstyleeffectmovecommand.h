#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class KXStyleEffectMoveCommandData;

// Moves an effect of the layer style to another row.
// Data: KXStyleEffectMoveCommandData (source row s, destination row d, the
// effect), filled by the host.
//
// Redo inserts a copy of the effect at d, then removes row s; undo removes
// the copy (row d, or d - 1 when d equals the row count) and inserts the
// effect at s. The rows are used exactly as stored, so the host stores them
// for that sequence: moving the effect at row a to the end is s = a,
// d = row count; moving the last effect (row count - 1) up to row b is
// s = row count, d = b. Those are the moves that undo restores exactly.
//
// Built with firstRedo false, the command's first redo (the one the push
// performs) leaves the style as the host has already moved it and the state
// counter alone; every later redo applies the move and raises the counter.
// Undo always lowers it. Rows that are out of range for the style leave the
// style untouched (the counter still moves).
// Owned by the undo stack once pushed; holds its document without owning it;
// its data belongs to the stack's serializer after the push. Use it on the
// thread that owns the stack and the document (the GUI thread).
class VORNHISTORY_EXPORT KXStyleEffectMoveCommand : public VornCommand
{
public:
    // The document is not owned and may be null (every execution then reports).
    KXStyleEffectMoveCommand(KXDocumentInterface* document, bool firstRedo);
    ~KXStyleEffectMoveCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    // The data typed, or null after reporting bad data or a missing document.
    const KXStyleEffectMoveCommandData* Checked(VornCommandData* data) const;

    KXDocumentInterface* m_document;
    bool m_firstRedo;
};

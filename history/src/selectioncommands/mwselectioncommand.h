#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// Combines a ready-made mask with the document's pixel selection (data:
// MWSelectionCommandData). Redo applies the data's redo mask at its offset by
// the data's operation; undo puts back the undo mask, or empties the
// selection when the data says there was none. Neither moves the document
// state counter.
//
// Built with firstRedo false, the command leaves the document alone on the
// redo that pushing it performs (the application has already changed the
// selection interactively) and applies the change on every later redo.
//
// Owned by the undo stack once pushed; holds its document without owning it;
// its data belongs to the stack's serializer after the push. Use it on the GUI thread.
class VORNHISTORY_EXPORT MWSelectionCommand : public VornCommand
{
public:
    // The document is not owned and may be null (every execution then reports).
    MWSelectionCommand(KXDocumentInterface* document, bool firstRedo);
    ~MWSelectionCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    KXDocumentInterface* m_document;
    bool m_firstRedo;
};

#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class KXStyleEffectRemoveCommandData;

// Removes the effect at a row of the layer style; undo puts it back with
// its stored settings and enabled flag.
// Data: KXStyleEffectRemoveCommandData (row, UID, settings, enabled), filled
// by the host. Each execution that changes the style moves the document
// state counter by one (redo up, undo down); one that changes nothing (no
// record, no style model, a row out of range) leaves it.
// Owned by the undo stack once pushed; holds its document without owning it;
// its data belongs to the stack's serializer after the push. Use it on the
// thread that owns the stack and the document (the GUI thread).
class VORNHISTORY_EXPORT KXStyleEffectRemoveCommand : public VornCommand
{
public:
    // The document is not owned and may be null (every execution then reports).
    explicit KXStyleEffectRemoveCommand(KXDocumentInterface* document);
    ~KXStyleEffectRemoveCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    // The data typed, or null after reporting bad data or a missing document.
    const KXStyleEffectRemoveCommandData* Checked(VornCommandData* data) const;

    KXDocumentInterface* m_document;
};

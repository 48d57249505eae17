#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class KXStyleEffectInsertCommandData;

// Inserts an effect into the layer style at a row; undo removes that row again.
// Data: KXStyleEffectInsertCommandData (row, UID, settings, enabled), filled
// by the host. Each execution that changes the style moves the document
// state counter by one (redo up, undo down); one that changes nothing (no
// record, no style model, a row out of range) leaves it.
// Owned by the undo stack once pushed; holds its document without owning it;
// its data belongs to the stack's serializer after the push. Use it on the
// thread that owns the stack and the document (the GUI thread).
class VORNHISTORY_EXPORT KXStyleEffectInsertCommand : public VornCommand
{
public:
    // The document is not owned and may be null (every execution then reports).
    explicit KXStyleEffectInsertCommand(KXDocumentInterface* document);
    ~KXStyleEffectInsertCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    // The data typed, or null after reporting bad data or a missing document.
    const KXStyleEffectInsertCommandData* Checked(VornCommandData* data) const;

    KXDocumentInterface* m_document;
};

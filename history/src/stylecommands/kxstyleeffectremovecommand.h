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

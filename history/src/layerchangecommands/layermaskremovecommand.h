#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class LayerMaskRemoveCommandData;

// Removes a layer's mask; undo gives the mask of its LayerMaskRemoveCommandData
// back (pixels, position, type, enabled state).
// Owned by the undo stack once pushed; holds its document without owning it; its data
// belongs to the stack's serializer after the push. Use it on the GUI thread, which
// owns the stack and the document.
class VORNHISTORY_EXPORT LayerMaskRemoveCommand : public VornCommand
{
public:
    // The document is not owned; a null one makes every execution report.
    // The flag is kept for the host only.
    LayerMaskRemoveCommand(KXDocumentInterface* document, bool flag);
    ~LayerMaskRemoveCommand() override;

    bool GetFlag() const { return m_flag; }

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    LayerMaskRemoveCommandData* CheckedData(VornCommandData* data) const;

    KXDocumentInterface* m_document;
    bool m_flag;
};

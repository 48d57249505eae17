#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// Sets the enabled state of one layer's mask; undo sets the opposite state.
// The document state counter does not move. Data: an EmptyCommandData.
// Owned by the undo stack once pushed; holds its document without owning it; the data
// its constructor made belongs to the stack's serializer after the push. Use it on the
// GUI thread, which owns the stack and the document.
class VORNHISTORY_EXPORT LayerMaskEnable : public VornCommand
{
public:
    // The document is not owned; with a null one executions do nothing.
    LayerMaskEnable(KXDocumentInterface* document, unsigned int layerId, bool enable);
    ~LayerMaskEnable() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    KXDocumentInterface* m_document;
    unsigned int m_layerId;
    bool m_enable;
};

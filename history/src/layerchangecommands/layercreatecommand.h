#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// Inserts one new raster or text layer (data: LayerCreateCommandData) and
// removes it again on undo. Each execution saves the layer panel's selected
// rows and restores those the previous execution saved.
// Owned by the undo stack once pushed; holds its document without owning it; its data
// belongs to the stack's serializer after the push. Use it on the GUI thread, which
// owns the stack and the document.
class VORNHISTORY_EXPORT LayerCreateCommand : public VornCommand
{
public:
    // The document is not owned and may be null (every execution then
    // reports). The flag is kept for the host and not used in execution.
    LayerCreateCommand(KXDocumentInterface* document, bool flag);
    ~LayerCreateCommand() override;

    bool GetFlag() const { return m_flag; }

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    KXDocumentInterface* m_document;
    bool m_flag;
};

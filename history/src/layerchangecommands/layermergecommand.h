#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class LayerMergeCommandData;
class LayerDataItem;

// Replaces a set of layers by one raster layer, "Merged Layer", composed from
// those of its LayerMergeCommandData marked for merging. Redo deletes the
// layers marked only for deletion (the host removes the merged ones) and
// inserts the merged layer at the lowest item's id; undo removes it and
// re-creates the deleted layers.
// Owned by the undo stack once pushed; holds its document without owning it; its data
// belongs to the stack's serializer after the push. Use it on the GUI thread, which
// owns the stack and the document.
class VORNHISTORY_EXPORT LayerMergeCommand : public VornCommand
{
public:
    // The document is not owned; a null one makes every execution report.
    // The flag is kept for the host only.
    LayerMergeCommand(KXDocumentInterface* document, bool flag);
    ~LayerMergeCommand() override;

    bool GetFlag() const { return m_flag; }

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    // The data typed and its merged item, or null after reporting why not.
    LayerMergeCommandData* CheckedData(VornCommandData* data, LayerDataItem& merged) const;
    // Where the merged layer goes.
    unsigned int TargetId(const LayerDataItem& merged) const;

    KXDocumentInterface* m_document;
    bool m_flag;
};

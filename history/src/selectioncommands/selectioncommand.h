#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// Combines a vector shape with the document's pixel selection (data:
// SelectionCommandData). Redo rebuilds the selection mask from the shape by
// the data's operation and raises the document state counter by one; undo
// puts back the mask and offset recorded in the data and lowers it by one.
//
// A fractional shape is cut to whole pixels: Union and Intersect work in the
// rectangle whose corner and size are the shape's bounds truncated toward
// zero; Replace makes a mask of the truncated size at the rounded corner.
// After Intersect and Subtract the mask is trimmed to its selected pixels.
//
// Owned by the undo stack once pushed; holds its document without owning it;
// its data belongs to the stack's serializer after the push. Use it on the GUI thread.
class VORNHISTORY_EXPORT SelectionCommand : public VornCommand
{
public:
    // The document is not owned and may be null (redo then reports).
    explicit SelectionCommand(KXDocumentInterface* document);
    ~SelectionCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    KXDocumentInterface* m_document;
};

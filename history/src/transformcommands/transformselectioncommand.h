#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// Transforms the pixel selection (data: TransformSelectionCommandData). Redo
// resamples the stored mask through the transform, trims the result to its
// selected pixels and makes it the selection; undo puts the stored mask back.
// Redo always starts from the stored mask, so repeated undo and redo never
// add up resampling loss. Redo raises the state counter by one, undo lowers it.
//
// Owned by the undo stack once pushed; holds its document without owning it;
// its data belongs to the stack's serializer after the push. Use it on the GUI thread.
class VORNHISTORY_EXPORT TransformSelectionCommand : public VornCommand
{
public:
    // The document is not owned.
    explicit TransformSelectionCommand(KXDocumentInterface* document);
    ~TransformSelectionCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    void ApplyTransform(const class TransformSelectionCommandData& data);

    KXDocumentInterface* m_document;
};

#pragma once

#include "layerpanelselection.h"
#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentModel;
class QItemSelectionModel;

// Inserts a merge result the host composed (data: MergeCommandData) as a new
// raster layer named by the translated "Merge layer" and selects it in the
// layer panel; undo removes it and gives the panel back the selection it had.
// The document state counter does not move. Data of another kind, or a
// missing model or document, make an execution do nothing.
// Owned by the undo stack once pushed; holds the model and the selection model without
// owning them; its data belongs to the stack's serializer after the push. Use it on
// the GUI thread, which owns the stack and the document.
class VORNHISTORY_EXPORT MergeCommand : public VornCommand
{
public:
    // Neither is owned; both may be null.
    MergeCommand(KXDocumentModel* model, QItemSelectionModel* selection);
    ~MergeCommand() override;

    // Clears the layer and mask marks of the selected rows and the panel
    // selection, then selects row and marks its layer selected.
    void SelectMerge(unsigned int row);

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    KXDocumentModel* m_model;
    QItemSelectionModel* m_selection;
    LayerPanelSelection m_saved; // at the last redo
};

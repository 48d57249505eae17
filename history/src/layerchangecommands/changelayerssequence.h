#pragma once

#include <QList>

#include "layerpanelselection.h"
#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentModel;
class QItemSelectionModel;

// Applies a whole new layer order (data: ChangeLayersSequenceData) through
// one document call and selects the data's rows; undo applies the inverse
// order and gives the panel back the selection it had before the redo.
// Owned by the undo stack once pushed; holds the model and the selection model without
// owning them; its data belongs to the stack's serializer after the push. Use it on
// the GUI thread, which owns the stack and the document.
class VORNHISTORY_EXPORT ChangeLayersSequence : public VornCommand
{
public:
    // Neither is owned; both may be null.
    ChangeLayersSequence(KXDocumentModel* model, QItemSelectionModel* selection);
    ~ChangeLayersSequence() override;

    // The permutation that undoes sequence (inverse[sequence[i]] = i); empty
    // when sequence is not a permutation of 0 .. size - 1.
    static QList<unsigned int> Inverse(const QList<unsigned int>& sequence);

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    void SaveUndoSel();
    void RestoreRedoSel(const QList<int>& rows, bool isLayerSel);
    void RestoreUndoSel();
    // The model's document when it has as many layers as the sequence has entries.
    bool Matches(const QList<unsigned int>& sequence) const;

    KXDocumentModel* m_model;
    QItemSelectionModel* m_selection;
    LayerPanelSelection m_undoSelection; // saved at the last redo
};

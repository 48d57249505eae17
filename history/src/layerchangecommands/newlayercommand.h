#pragma once

#include <QVector>

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class KXDocumentModel;
class NewLayerData;
class QItemSelectionModel;

// Inserts a complete new layer (data: NewRasterLayerData, NewTextLayerData or
// NewAdjustmentLayerData) at its layer id, with blend mode, opacity, locks and
// an optional mask, and selects it in the layer panel; undo removes it and
// re-selects the panel rows of before.
//
// The create flag says whether the layer still has to be made. Built with
// false, the command wraps a layer the host has already made, typically a
// text typed as a live edit: the host pushes the command with pushDelayed
// (which clears the flag), creates and edits the layer directly, and commits.
// The commit copies the layer's text attributes into the data and names the
// layer after its text; the first redo then only counts (and sets the flag),
// and every later redo creates the layer from the data.
//
// Data of another kind, a data object without its record, or a model without
// a document make every operation do nothing.
// Owned by the undo stack once pushed; holds the model and the selection model without
// owning them; its data belongs to the stack's serializer after the push. Use it on
// the GUI thread, which owns the stack and the document.
class VORNHISTORY_EXPORT NewLayerCommand : public VornCommand
{
public:
    // The model and the selection model are not owned and may be null.
    NewLayerCommand(KXDocumentModel* model, QItemSelectionModel* selectionModel, bool create);
    ~NewLayerCommand() override;

    bool GetCreate() const { return m_create; }

    // The layer name a text gives: 11 characters or more, its first 7 and
    // "..."; 1 to 10, the whole text; empty, fallback.
    static QString NameFromText(const QString& text, const QString& fallback);

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;
    void EndTransaction(VornCommandData* data) override;
    void BeginTransaction() override;

private:
    // The data as one of the three accepted kinds with a record, else null.
    static NewLayerData* Accepted(VornCommandData* data);
    void Create(KXDocumentInterface* document, NewLayerData* data);
    void CopyTextFromLayer(KXDocumentInterface* document, NewLayerData* data);
    void SelectLayer(unsigned int id);

    // Records the panel's selected rows as they will be once the layer at id
    // is gone: with present, rows of layers above id move down one; without
    // (the layer is not made yet), they are taken as they are. With exactly
    // one row, also whether its layer rather than its mask is selected.
    void SaveSelection(unsigned int id, bool present);
    void RestoreSelection();

    KXDocumentModel* m_model;
    QItemSelectionModel* m_selectionModel;
    bool m_create;
    QVector<unsigned int> m_savedRows;
    bool m_savedLayerSelected = false;
};

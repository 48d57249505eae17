#pragma once

#include <QList>

class KXDocumentModel;
class QItemSelectionModel;

// The layer panel's selected rows and whether the layer or its mask is the
// part being edited, saved from and restored to a panel (its document model
// and item selection). Used by the commands that restore panel selection.
// A value: the model and selection it reads and sets are not owned. Use it on
// the GUI thread (it changes the panel's selection).
struct LayerPanelSelection
{
    QList<int> rows;
    bool layerSelected = true;

    // The selected rows in the order the selection lists them; with exactly
    // one row, whether its layer (rather than its mask) is marked selected.
    static LayerPanelSelection Save(const KXDocumentModel* model, const QItemSelectionModel* selection);

    // Clears the panel selection, selects each row and clears its layer and
    // mask marks; with exactly one row, then marks its layer (layerSelected)
    // or else its mask, when it has one. Rows out of range are skipped.
    void Restore(KXDocumentModel* model, QItemSelectionModel* selection) const;
};

#include "layerpanelselection.h"

#include <QItemSelectionModel>

#include "KXDocumentInterface.h"
#include "KXDocumentModel.h"

namespace {

bool HasMask(const KXDocumentModel* model, int row)
{
    return model->GetDocument() && model->GetDocument()->HasLayerMask(unsigned(row) + 1);
}

} // namespace

LayerPanelSelection LayerPanelSelection::Save(const KXDocumentModel* model, const QItemSelectionModel* selection)
{
    LayerPanelSelection saved;
    if (!selection)
        return saved;
    const QModelIndexList indexes = selection->selectedRows();
    for (const QModelIndex& index : indexes)
        saved.rows.append(index.row());
    if (model && saved.rows.size() == 1)
        saved.layerSelected = model->GetLayerSelected(unsigned(saved.rows.first()));
    return saved;
}

void LayerPanelSelection::Restore(KXDocumentModel* model, QItemSelectionModel* selection) const
{
    if (!model || !selection || !selection->model())
        return;
    selection->clearSelection();
    for (int row : rows) {
        const QModelIndex index = selection->model()->index(row, 0);
        if (!index.isValid())
            continue;
        selection->select(index, QItemSelectionModel::Select);
        model->SetLayerSelected(unsigned(row), false);
        if (HasMask(model, row))
            model->SetMaskSelected(unsigned(row), false);
    }
    if (rows.size() != 1)
        return;
    const int row = rows.first();
    if (layerSelected)
        model->SetLayerSelected(unsigned(row), true);
    else if (HasMask(model, row))
        model->SetMaskSelected(unsigned(row), true);
}

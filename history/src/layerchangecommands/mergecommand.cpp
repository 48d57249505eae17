#include "mergecommand.h"

#include <QItemSelectionModel>

#include "KXDocumentInterface.h"
#include "KXDocumentModel.h"
#include "mergecommanddata.h"

MergeCommand::MergeCommand(KXDocumentModel* model, QItemSelectionModel* selection)
    : m_model(model)
    , m_selection(selection)
{
}

MergeCommand::~MergeCommand() = default;

void MergeCommand::SelectMerge(unsigned int row)
{
    if (!m_model || !m_selection || !m_selection->model())
        return;
    const QModelIndexList selected = m_selection->selectedRows();
    for (const QModelIndex& index : selected) {
        m_model->SetLayerSelected(unsigned(index.row()), false);
        m_model->SetMaskSelected(unsigned(index.row()), false);
    }
    m_selection->clearSelection();
    const QModelIndex index = m_selection->model()->index(int(row), 0);
    if (index.isValid())
        m_selection->select(index, QItemSelectionModel::Select);
    m_model->SetLayerSelected(row, true);
}

void MergeCommand::RedoExecute(VornCommandData* data)
{
    MergeCommandData* mergeData = mergecommanddata_cast(data);
    KXDocumentInterface* document = m_model ? m_model->GetDocument() : nullptr;
    if (!mergeData || !document)
        return;
    m_saved = LayerPanelSelection::Save(m_model, m_selection);
    const unsigned int id = mergeData->LayerID();
    document->InsertRasterLayer(QObject::tr("Merge layer"), mergeData->MergeResult(), mergeData->MergePos(),
                                mergeData->BlendMode(), mergeData->Opacity(), id);
    SelectMerge(id - 1);
}

void MergeCommand::UndoExecute(VornCommandData* data)
{
    MergeCommandData* mergeData = mergecommanddata_cast(data);
    KXDocumentInterface* document = m_model ? m_model->GetDocument() : nullptr;
    if (!mergeData || !document)
        return;
    document->RemoveLayer(mergeData->LayerID());
    m_saved.Restore(m_model, m_selection);
}

#include "selectiondata.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>

SelectionData::SelectionData(QItemSelectionModel* model, int value)
    : m_selectionModel(model)
    , m_value(value)
{
}

SelectionData::~SelectionData() = default;

void SelectionData::copyCurrentSelection()
{
    if (!m_selectionModel)
        return;
    const QModelIndexList selected = m_selectionModel->selectedIndexes();
    if (selected.isEmpty())
        return;
    m_savedRows.clear();
    m_savedRows.reserve(selected.size());
    for (const QModelIndex& index : selected)
        m_savedRows.append(unsigned(index.row()));
}

void SelectionData::selectNew()
{
    if (!m_selectionModel)
        return;
    m_selectionModel->clear();
    const QAbstractItemModel* model = m_selectionModel->model();
    if (!model)
        return;
    for (unsigned int row : qAsConst(m_rowsToSelect)) {
        const QModelIndex index = model->index(int(row), 0, QModelIndex());
        if (index.isValid())
            m_selectionModel->setCurrentIndex(index, QItemSelectionModel::Select);
    }
}

void SelectionData::swapSelection()
{
    if (m_selectionModel)
        m_savedRows.swap(m_rowsToSelect);
}

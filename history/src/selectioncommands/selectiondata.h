#pragma once

#include <QVector>

#include "vorncommanddata.h"
#include "vornhistory_export.h"

class QItemSelectionModel;

// A snapshot of the selected rows of the layer panel, the base of the data of
// commands that change the layer list. In each execute such a command calls
// copyCurrentSelection() before it changes the list, then selectNew() and
// swapSelection() after it, so every execute restores the rows the previous
// one saved. A derived class may fill the rows to select before the first
// execute; otherwise that execute clears the panel selection.
//
// The rows are kept outside the record: they survive ReleaseSerializeData.
// Points at the selection model without owning it; owned like any command
// data (its command, then the serializer once pushed). Use the row operations
// on the GUI thread; the serializer's worker only writes and releases the derived payload.
class VORNHISTORY_EXPORT SelectionData : public VornCommandData
{
public:
    // The model is not owned and may be null (the row operations then do
    // nothing). value is the derived class's own, stored and never read here.
    SelectionData(QItemSelectionModel* model, int value);
    ~SelectionData() override;

    SelectionData(const SelectionData&) = delete;
    SelectionData& operator=(const SelectionData&) = delete;

    // Saves the rows of the model's selected indexes, in the order the model
    // lists them; keeps the rows saved before when nothing is selected.
    void copyCurrentSelection();
    // Clears the model's selection, then selects (and makes current) each
    // valid row of the rows to select, in order.
    void selectNew();
    // Exchanges the saved rows and the rows to select.
    void swapSelection();

    QItemSelectionModel* GetSelectionModel() const { return m_selectionModel; }
    const QVector<unsigned int>& GetSavedRows() const { return m_savedRows; }
    const QVector<unsigned int>& GetRowsToSelect() const { return m_rowsToSelect; }
    void SetRowsToSelect(const QVector<unsigned int>& rows) { m_rowsToSelect = rows; }
    int GetValue() const { return m_value; }

private:
    QItemSelectionModel* m_selectionModel;
    QVector<unsigned int> m_savedRows;
    QVector<unsigned int> m_rowsToSelect;
    int m_value;
};

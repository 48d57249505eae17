#pragma once

#include "KXPathElement.h"
#include "KXPathsListModel.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

struct ChangeSubpathRecord
{
    int pathIndex = 0;
    int subpathIndex = 0;
    QList<KXPathElement> redoElements;
    QList<KXPathElement> undoElements;

    template <class Io> bool Fields(Io& io) { return io(pathIndex, subpathIndex, redoElements, undoElements); }
};

// A subpath's elements changed: the elements before (undo) and after (redo).
// Record: path index (int), subpath index (int), redo elements, undo elements.
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the GUI thread; the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT ChangeSubpathCommandData : public VornRecordData<ChangeSubpathRecord>
{
public:
    static constexpr unsigned int Type = 16;
    using ChangeSubpathData = ChangeSubpathRecord;

    unsigned int GetDataType() const override { return Type; }

    void SetPathIndex(int value) { EditRecord().pathIndex = value; }
    void SetSubpathIndex(int value) { EditRecord().subpathIndex = value; }
    void SetUndoData(const QList<KXPathElement>& value) { EditRecord().undoElements = value; }
    void SetRedoData(const QList<KXPathElement>& value) { EditRecord().redoElements = value; }

    // False, argument untouched, while there is no record.
    bool GetPathIndex(int& value) const { return Field(&Record::pathIndex, value); }
    bool GetSubpathIndex(int& value) const { return Field(&Record::subpathIndex, value); }
    bool GetUndoData(QList<KXPathElement>& value) const { return Field(&Record::undoElements, value); }
    bool GetRedoData(QList<KXPathElement>& value) const { return Field(&Record::redoElements, value); }

private:
    using Record = ChangeSubpathRecord;
};

// data typed as ChangeSubpathCommandData when it is one (type 16), else null.
VORNHISTORY_EXPORT ChangeSubpathCommandData* ChangeSubpathCommandData_cast(VornCommandData* data);

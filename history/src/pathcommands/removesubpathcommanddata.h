#pragma once

#include "KXPathElement.h"
#include "KXPathsListModel.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

struct RemoveSubpathRecord
{
    int pathIndex = 0;
    int subpathIndex = 0;
    int logicalOp = 0;
    QList<KXPathElement> undoElements;

    template <class Io> bool Fields(Io& io) { return io(pathIndex, subpathIndex, logicalOp, undoElements); }
};

// A subpath removed from a path: where it was, its elements (undo) and its
// logical operation.
// Record: path index (int), subpath index (int), logical operation (int), undo elements.
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the GUI thread; the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT RemoveSubpathCommandData : public VornRecordData<RemoveSubpathRecord>
{
public:
    static constexpr unsigned int Type = 28;

    unsigned int GetDataType() const override { return Type; }

    void SetPathIndex(int value) { EditRecord().pathIndex = value; }
    void SetSubpathIndex(int value) { EditRecord().subpathIndex = value; }
    void SetLogicalOp(int value) { EditRecord().logicalOp = value; }
    void SetUndoData(const QList<KXPathElement>& value) { EditRecord().undoElements = value; }

    // False, argument untouched, while there is no record.
    bool GetPathIndex(int& value) const { return Field(&Record::pathIndex, value); }
    bool GetSubpathIndex(int& value) const { return Field(&Record::subpathIndex, value); }
    bool GetLogicalOp(int& value) const { return Field(&Record::logicalOp, value); }
    bool GetUndoData(QList<KXPathElement>& value) const { return Field(&Record::undoElements, value); }

private:
    using Record = RemoveSubpathRecord;
};

// data typed as RemoveSubpathCommandData when it is one (type 28), else null.
VORNHISTORY_EXPORT RemoveSubpathCommandData* RemoveSubpathCommandData_cast(VornCommandData* data);

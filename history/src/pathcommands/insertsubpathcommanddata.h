#pragma once

#include "KXPathElement.h"
#include "KXPathsListModel.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

struct InsertSubpathRecord
{
    int pathIndex = 0;
    int subpathIndex = 0;
    int logicalOp = 0;
    QList<KXPathElement> elements;

    template <class Io> bool Fields(Io& io) { return io(pathIndex, subpathIndex, logicalOp, elements); }
};

// A subpath inserted into a path: where, its elements and the logical operation
// (KXPathsListModel::LogicalOp) it combines with.
// Record: path index (int), subpath index (int), logical operation (int), elements.
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the GUI thread; the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT InsertSubpathCommandData : public VornRecordData<InsertSubpathRecord>
{
public:
    static constexpr unsigned int Type = 15;

    unsigned int GetDataType() const override { return Type; }

    void SetPathIndex(int value) { EditRecord().pathIndex = value; }
    void SetSubpathIndex(int value) { EditRecord().subpathIndex = value; }
    void SetData(const QList<KXPathElement>& value) { EditRecord().elements = value; }
    void SetLogicalOp(int value) { EditRecord().logicalOp = value; }

    // False, argument untouched, while there is no record.
    bool GetPathIndex(int& value) const { return Field(&Record::pathIndex, value); }
    bool GetSubpathIndex(int& value) const { return Field(&Record::subpathIndex, value); }
    bool GetData(QList<KXPathElement>& value) const { return Field(&Record::elements, value); }
    bool GetLogicalOp(int& value) const { return Field(&Record::logicalOp, value); }

private:
    using Record = InsertSubpathRecord;
};

// data typed as InsertSubpathCommandData when it is one (type 15), else null.
VORNHISTORY_EXPORT InsertSubpathCommandData* InsertSubpathCommandData_cast(VornCommandData* data);

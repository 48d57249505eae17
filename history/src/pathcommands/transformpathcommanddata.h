#pragma once

#include <QTransform>

#include "KXPathElement.h"
#include "KXPathsListModel.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

struct TransformPathRecord
{
    int pathIndex = 0;
    int subpathIndex = 0;
    KXPathsListModel::Path path;
    QTransform transform;

    template <class Io> bool Fields(Io& io) { return io(pathIndex, subpathIndex, path, transform); }
};

// A path transformed: the path before the transformation, the transformation
// and the subpath it applies to (an index out of the path's range: all of them).
// Record: path index (int), subpath index (int), path (subpath list), transform.
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the GUI thread; the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT TransformPathCommandData : public VornRecordData<TransformPathRecord>
{
public:
    static constexpr unsigned int Type = 13;

    unsigned int GetDataType() const override { return Type; }

    void SetPathIndex(int value) { EditRecord().pathIndex = value; }
    void SetSubpathIndex(int value) { EditRecord().subpathIndex = value; }
    void SetPath(const KXPathsListModel::Path& value) { EditRecord().path = value; }
    void SetTransform(const QTransform& value) { EditRecord().transform = value; }

    // False, argument untouched, while there is no record.
    bool GetPathIndex(int& value) const { return Field(&Record::pathIndex, value); }
    bool GetSubpathIndex(int& value) const { return Field(&Record::subpathIndex, value); }
    bool GetPath(KXPathsListModel::Path& value) const { return Field(&Record::path, value); }
    bool GetTransform(QTransform& value) const { return Field(&Record::transform, value); }

private:
    using Record = TransformPathRecord;
};

// data typed as TransformPathCommandData when it is one (type 13), else null.
VORNHISTORY_EXPORT TransformPathCommandData* TransformPathCommandData_cast(VornCommandData* data);

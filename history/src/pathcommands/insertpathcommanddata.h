#pragma once

#include <QString>

#include "KXPathElement.h"
#include "KXPathsListModel.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

struct InsertPathRecord
{
    QString name;
    int pathIndex = 0;
    KXPathsListModel::Path path;

    template <class Io> bool Fields(Io& io) { return io(name, pathIndex, path); }
};

// A whole path inserted into the path list: where, its subpaths and its name.
// Record: name (string), path index (int), path (subpath list).
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the GUI thread; the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT InsertPathCommandData : public VornRecordData<InsertPathRecord>
{
public:
    static constexpr unsigned int Type = 11;

    unsigned int GetDataType() const override { return Type; }

    void SetPathName(const QString& value) { EditRecord().name = value; }
    void SetPathIndex(int value) { EditRecord().pathIndex = value; }
    void SetPath(const KXPathsListModel::Path& value) { EditRecord().path = value; }

    // False, argument untouched, while there is no record.
    bool GetPathName(QString& value) const { return Field(&Record::name, value); }
    bool GetPathIndex(int& value) const { return Field(&Record::pathIndex, value); }
    bool GetPath(KXPathsListModel::Path& value) const { return Field(&Record::path, value); }

private:
    using Record = InsertPathRecord;
};

// data typed as InsertPathCommandData when it is one (type 11), else null.
VORNHISTORY_EXPORT InsertPathCommandData* InsertPathCommandData_cast(VornCommandData* data);

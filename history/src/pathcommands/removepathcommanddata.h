#pragma once

#include <QString>

#include "KXPathElement.h"
#include "KXPathsListModel.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

struct RemovePathRecord
{
    int pathIndex = 0;
    QString name;
    KXPathsListModel::Path path;

    template <class Io> bool Fields(Io& io) { return io(pathIndex, name, path); }
};

// A whole path removed from the path list: where it was, its subpaths and its name.
// Record: path index (int), name (string), path (subpath list); name and index in the
// opposite order to the insert record.
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the GUI thread; the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT RemovePathCommandData : public VornRecordData<RemovePathRecord>
{
public:
    static constexpr unsigned int Type = 12;

    unsigned int GetDataType() const override { return Type; }

    void SetPathName(const QString& value) { EditRecord().name = value; }
    void SetPathIndex(int value) { EditRecord().pathIndex = value; }
    void SetPath(const KXPathsListModel::Path& value) { EditRecord().path = value; }

    // False, argument untouched, while there is no record.
    bool GetPathName(QString& value) const { return Field(&Record::name, value); }
    bool GetPathIndex(int& value) const { return Field(&Record::pathIndex, value); }
    bool GetPath(KXPathsListModel::Path& value) const { return Field(&Record::path, value); }

private:
    using Record = RemovePathRecord;
};

// data typed as RemovePathCommandData when it is one (type 12), else null.
VORNHISTORY_EXPORT RemovePathCommandData* RemovePathCommandData_cast(VornCommandData* data);

#pragma once

#include <QString>

#include "KXPathElement.h"
#include "KXPathsListModel.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

struct DuplicatePathRecord
{
    int pathIndex = 0;
    QString name;

    template <class Io> bool Fields(Io& io) { return io(pathIndex, name); }
};

// A path duplicated: the path copied and the copy's name.
// Record: path index (int), name (string).
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the GUI thread; the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT DuplicatePathCommandData : public VornRecordData<DuplicatePathRecord>
{
public:
    static constexpr unsigned int Type = 14;

    unsigned int GetDataType() const override { return Type; }

    void SetPathName(const QString& value) { EditRecord().name = value; }
    void SetPathIndex(int value) { EditRecord().pathIndex = value; }

    // False, argument untouched, while there is no record.
    bool GetPathName(QString& value) const { return Field(&Record::name, value); }
    bool GetPathIndex(int& value) const { return Field(&Record::pathIndex, value); }

private:
    using Record = DuplicatePathRecord;
};

// data typed as DuplicatePathCommandData when it is one (type 14), else null.
VORNHISTORY_EXPORT DuplicatePathCommandData* DuplicatePathCommandData_cast(VornCommandData* data);

#pragma once

#include <QString>

#include "vornrecord.h"
#include "vornhistory_export.h"

// The record of LayerNameChangeCommandData: old name, new name, layer id.
struct LayerNameChangeRecord
{
    QString oldName;
    QString newName;
    unsigned int id = 0;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(oldName, newName, id);
    }
};

// Old and new name of one layer. There is no cast function: the command
// compares the type number itself.
// Record: old name (string), new name (string), layer id (uint).
// Owns its record; its command owns it until the push, the stack's serializer
// after. Filled and read on the GUI thread; between executions the
// serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT LayerNameChangeCommandData : public VornRecordData<LayerNameChangeRecord>
{
public:
    static constexpr unsigned int Type = 41;
    unsigned int GetDataType() const override { return Type; }

    void SetOldName(const QString& name) { EditRecord().oldName = name; }
    void SetNewName(const QString& name) { EditRecord().newName = name; }
    void SetLayerID(unsigned int id) { EditRecord().id = id; }

    // False, argument untouched, while there is no record.
    bool GetOldName(QString& name) const { return Field(&Record::oldName, name); }
    bool GetNewName(QString& name) const { return Field(&Record::newName, name); }
    bool GetLayerID(unsigned int& id) const { return Field(&Record::id, id); }

private:
    using Record = LayerNameChangeRecord;
};

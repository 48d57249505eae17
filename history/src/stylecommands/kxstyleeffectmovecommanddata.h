#pragma once

#include "kxstyleeffect.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

struct KXStyleEffectMoveRecord
{
    int sourceRow = -1;
    int destinationRow = -1;
    KXStyleEffect effect;

    template <class Io> bool Fields(Io& io) { return io(sourceRow, destinationRow, effect); }
};

// An effect moved to another row of the layer style: the command inserts a
// copy at the destination row, then removes the source row (rows as stored).
// There is no cast function: the command tests the type number itself.
// Record: source row (int), destination row (int), UID (string), settings
// (byte array), enabled (int).
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the thread that owns the stack (the GUI thread); between
// executions the serializer's worker writes and releases the record.
class VORNHISTORY_EXPORT KXStyleEffectMoveCommandData : public VornRecordData<KXStyleEffectMoveRecord>
{
public:
    static constexpr unsigned int Type = 47;
    unsigned int GetDataType() const override { return Type; }

    void SetSourceRow(int row) { EditRecord().sourceRow = row; }
    void SetDestinationRow(int row) { EditRecord().destinationRow = row; }
    void SetEffectUID(const QString& uid) { EditRecord().effect.uid = uid; }
    void SetEffectData(const QByteArray& data) { EditRecord().effect.data = data; }
    void SetEnabled(bool enabled) { EditRecord().effect.enabled = enabled; }

    // Without a record: -1, an empty UID and settings, false.
    int GetSourceRow() const { return GetRecord() ? GetRecord()->sourceRow : -1; }
    int GetDestinationRow() const { return GetRecord() ? GetRecord()->destinationRow : -1; }
    QString GetEffectUID() const { return GetRecord() ? GetRecord()->effect.uid : QString(); }
    QByteArray GetEffectData() const { return GetRecord() ? GetRecord()->effect.data : QByteArray(); }
    bool GetEnabled() const { return GetRecord() && GetRecord()->effect.enabled; }
};

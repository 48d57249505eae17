#pragma once

#include "kxstyleeffect.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

struct KXStyleEffectRowRecord
{
    int row = -1;
    KXStyleEffect effect;

    template <class Io> bool Fields(Io& io) { return io(row, effect); }
};

// One effect and the style row it goes in or comes out of: what the insert
// and the remove effect commands keep. Abstract: each of the two adds its
// type number.
// Record: row (int), UID (string), settings (byte array), enabled (int).
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the thread that owns the stack (the GUI thread); between
// executions the serializer's worker writes and releases the record.
class VORNHISTORY_EXPORT KXStyleEffectRowData : public VornRecordData<KXStyleEffectRowRecord>
{
public:
    void SetRow(int row) { EditRecord().row = row; }
    void SetEffectUID(const QString& uid) { EditRecord().effect.uid = uid; }
    void SetEffectData(const QByteArray& data) { EditRecord().effect.data = data; }
    void SetEnabled(bool enabled) { EditRecord().effect.enabled = enabled; }

    // Without a record: -1, an empty UID and settings, false.
    int GetRow() const { return GetRecord() ? GetRecord()->row : -1; }
    QString GetEffectUID() const { return GetRecord() ? GetRecord()->effect.uid : QString(); }
    QByteArray GetEffectData() const { return GetRecord() ? GetRecord()->effect.data : QByteArray(); }
    bool GetEnabled() const { return GetRecord() && GetRecord()->effect.enabled; }
};

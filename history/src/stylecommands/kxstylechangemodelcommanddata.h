#pragma once

#include <QList>
#include <QString>

#include "kxstyleeffect.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

struct KXStyleChangeModelRecord
{
    using EffectDescription = KXStyleEffect;

    QList<EffectDescription> undoEffects;
    QList<EffectDescription> redoEffects;
    QString undoStyleName;
    QString undoStyleUID;
    QString redoStyleName;
    QString redoStyleUID;

    template <class Io> bool Fields(Io& io)
    {
        return io(
            undoStyleName, undoStyleUID, redoStyleName, redoStyleUID, VornList(undoEffects), VornList(redoEffects));
    }
};

// A whole layer style before (undo) and after (redo) a change: its name, its
// style UID and its complete effect list. There is no cast function: the
// command tests the type number itself.
// Record: undo name, undo UID, redo name, redo UID (strings); the undo
// effects, then the redo effects, each list as its count (int) followed by
// UID (string), settings (byte array) and enabled (int) per effect.
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the thread that owns the stack (the GUI thread); between
// executions the serializer's worker writes and releases the record.
class VORNHISTORY_EXPORT KXStyleChangeModelCommandData : public VornRecordData<KXStyleChangeModelRecord>
{
public:
    using Data = KXStyleChangeModelRecord;

    static constexpr unsigned int Type = 45;
    unsigned int GetDataType() const override { return Type; }

    void SetUndoStyleName(const QString& name) { EditRecord().undoStyleName = name; }
    void SetUndoStyleUID(const QString& uid) { EditRecord().undoStyleUID = uid; }
    void SetRedoStyleName(const QString& name) { EditRecord().redoStyleName = name; }
    void SetRedoStyleUID(const QString& uid) { EditRecord().redoStyleUID = uid; }

    // Empty strings without a record.
    QString GetUndoStyleName() const { return GetRecord() ? GetRecord()->undoStyleName : QString(); }
    QString GetUndoStyleUID() const { return GetRecord() ? GetRecord()->undoStyleUID : QString(); }
    QString GetRedoStyleName() const { return GetRecord() ? GetRecord()->redoStyleName : QString(); }
    QString GetRedoStyleUID() const { return GetRecord() ? GetRecord()->redoStyleUID : QString(); }

    void AddUndoEffect(const QString& uid, const QByteArray& data, bool enabled)
    {
        EditRecord().undoEffects.append({ uid, data, enabled });
    }
    void AddRedoEffect(const QString& uid, const QByteArray& data, bool enabled)
    {
        EditRecord().redoEffects.append({ uid, data, enabled });
    }

    // Entry i copied out; false, arguments untouched, without a record or for
    // an i outside 0 to count - 1.
    bool GetUndoEffect(int i, QString& uid, QByteArray& data, bool& enabled) const
    {
        return CopyEffect(&Data::undoEffects, i, uid, data, enabled);
    }
    bool GetRedoEffect(int i, QString& uid, QByteArray& data, bool& enabled) const
    {
        return CopyEffect(&Data::redoEffects, i, uid, data, enabled);
    }

    // The list lengths; -1 without a record.
    int GetUndoEffectCount() const { return GetRecord() ? GetRecord()->undoEffects.size() : -1; }
    int GetRedoEffectCount() const { return GetRecord() ? GetRecord()->redoEffects.size() : -1; }

    // Empties the redo effect list (creating the record when absent); the
    // redo name and UID stay.
    void ClearRedoData() { EditRecord().redoEffects.clear(); }

private:
    bool CopyEffect(QList<KXStyleEffect> Data::*list, int i, QString& uid, QByteArray& data, bool& enabled) const
    {
        if (!GetRecord() || i < 0 || i >= (GetRecord()->*list).size())
            return false;
        const KXStyleEffect& effect = (GetRecord()->*list).at(i);
        uid = effect.uid;
        data = effect.data;
        enabled = effect.enabled;
        return true;
    }
};

#pragma once

#include <QByteArray>
#include <QList>

#include "vornhistory_export.h"
#include "vornrecord.h"

struct KXStyleChangeModelParamsRecord
{
    // The settings of the effect in one row of the style.
    struct EffectDescription
    {
        QByteArray data;
        bool enabled = false;

        template <class Io> bool Fields(Io& io) { return io(data, VornAsInt(enabled)); }
    };

    QList<EffectDescription> undoEffects;
    QList<EffectDescription> redoEffects;

    template <class Io> bool Fields(Io& io) { return io(VornList(undoEffects), VornList(redoEffects)); }
};

// The settings blocks and enabled flags of a layer style's effects before
// (undo) and after (redo) a change, entry i for row i; which effects there
// are does not change. There is no cast function: the command tests the
// type number itself.
// Record: the undo entries, then the redo entries, each list as its count
// (int) followed by settings (byte array) and enabled (int) per entry.
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the thread that owns the stack (the GUI thread); between
// executions the serializer's worker writes and releases the record.
class VORNHISTORY_EXPORT KXStyleChangeModelParamsCommandData : public VornRecordData<KXStyleChangeModelParamsRecord>
{
public:
    using Data = KXStyleChangeModelParamsRecord;

    static constexpr unsigned int Type = 46;
    unsigned int GetDataType() const override { return Type; }

    void AddUndoEffect(const QByteArray& data, bool enabled) { EditRecord().undoEffects.append({ data, enabled }); }
    void AddRedoEffect(const QByteArray& data, bool enabled) { EditRecord().redoEffects.append({ data, enabled }); }

    // Entry i copied out; false, arguments untouched, without a record or for
    // an i outside 0 to count - 1.
    bool GetUndoEffect(int i, QByteArray& data, bool& enabled) const
    {
        return CopyEffect(&Data::undoEffects, i, data, enabled);
    }
    bool GetRedoEffect(int i, QByteArray& data, bool& enabled) const
    {
        return CopyEffect(&Data::redoEffects, i, data, enabled);
    }

    // The list lengths; -1 without a record.
    int GetUndoEffectCount() const { return GetRecord() ? GetRecord()->undoEffects.size() : -1; }
    int GetRedoEffectCount() const { return GetRecord() ? GetRecord()->redoEffects.size() : -1; }

    // Empties the redo list (creating the record when absent).
    void ClearRedoData() { EditRecord().redoEffects.clear(); }

private:
    bool CopyEffect(QList<Data::EffectDescription> Data::*list, int i, QByteArray& data, bool& enabled) const
    {
        if (!GetRecord() || i < 0 || i >= (GetRecord()->*list).size())
            return false;
        const Data::EffectDescription& effect = (GetRecord()->*list).at(i);
        data = effect.data;
        enabled = effect.enabled;
        return true;
    }
};

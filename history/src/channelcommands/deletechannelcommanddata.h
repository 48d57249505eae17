#pragma once

#include <QMap>
#include <QPoint>
#include <QString>

#include "KXImage.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

// One deleted alpha channel, as undo recreates it.
struct DeleteChannelEntry
{
    QString name;
    KXImage32 image;
    QPoint offset;
};

// The deleted channels by id, in ascending id order, one entry per id.
// Written as the entry count (int), then per entry: id (uint), name (string),
// offset (point), mask (KXImage). Reading stops at the first entry that fails
// (a hostile count allocates nothing ahead); an id met twice keeps its first
// entry, as InsertUndoData does.
struct DeleteChannelRecord
{
    QMap<unsigned int, DeleteChannelEntry> entries;

    template <class Io> bool Fields(Io& io)
    {
        int count = entries.size();
        if (!io(count))
            return false;
        if constexpr (Io::Reading) {
            entries.clear();
            if (count < 0)
                return false;
            for (int i = 0; i < count; ++i) {
                unsigned int id = 0;
                DeleteChannelEntry entry;
                if (!io(id, entry.name, entry.offset, entry.image))
                    return false;
                if (!entries.contains(id))
                    entries.insert(id, entry);
            }
            return true;
        } else {
            bool ok = true;
            for (auto it = entries.cbegin(); it != entries.cend(); ++it)
                ok = io(it.key(), it->name, it->offset, it->image) && ok;
            return ok;
        }
    }
};

// The alpha channels a DeleteChannelCommand deletes, each with what undo needs
// to recreate it. The record (Data) is created by the first InsertUndoData.
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the GUI thread; the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT DeleteChannelCommandData : public VornRecordData<DeleteChannelRecord>
{
public:
    static constexpr unsigned int Type = 30;
    using Data = DeleteChannelRecord;

    unsigned int GetDataType() const override { return Type; }

    // Adds the channel id; an id that already has an entry keeps its first one.
    void InsertUndoData(unsigned int id, const QString& name, const QPoint& offset, const KXImage32& image);
    // False, arguments untouched, without a record or an entry for the id.
    bool GetUndoData(unsigned int id, QString& name, QPoint& offset, KXImage32& image) const;
    // The ids in ascending order (empty without a record).
    QList<unsigned int> GetChannels() const;
};

// data typed as DeleteChannelCommandData when it is one (type 30), else null.
VORNHISTORY_EXPORT DeleteChannelCommandData* deletechannelcommanddata_cast(VornCommandData* data);

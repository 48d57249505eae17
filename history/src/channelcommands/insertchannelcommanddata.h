#pragma once

#include <QString>

#include "vornhistory_export.h"
#include "vornrecord.h"

struct InsertChannelRecord
{
    unsigned int number = 0;
    QString name;

    template <class Io> bool Fields(Io& io) { return io(number, name); }
};

// The alpha channel an InsertChannelCommand creates: its id and name (the
// record) and how to create it. The action type is not part of the record: it
// is neither written nor read and survives ReleaseSerializeData.
// Record: channel number (uint), channel name (string).
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the GUI thread; the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT InsertChannelCommandData : public VornRecordData<InsertChannelRecord>
{
public:
    static constexpr unsigned int Type = 29;
    // What GetChannelNumber answers while there is no record.
    static constexpr unsigned int NoChannel = 0xFFFFFFFF;

    enum ActionType
    {
        CreateEmpty = 0,
        CreateFromSelection = 1,
        NoAction = 2
    };

    unsigned int GetDataType() const override { return Type; }

    void SetChannelNumber(unsigned int number) { EditRecord().number = number; }
    void SetChannelName(const QString& name) { EditRecord().name = name; }
    // NoChannel, or an empty name, while there is no record.
    unsigned int GetChannelNumber() const { return GetRecord() ? GetRecord()->number : NoChannel; }
    QString GetChannelName() const { return GetRecord() ? GetRecord()->name : QString(); }

    void SetActionType(ActionType type) { m_actionType = type; }
    ActionType GetActionType() const { return m_actionType; }

private:
    ActionType m_actionType = NoAction;
};

// data typed as InsertChannelCommandData when it is one (type 29), else null.
VORNHISTORY_EXPORT InsertChannelCommandData* insertchannelcommanddata_cast(VornCommandData* data);

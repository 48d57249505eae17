#pragma once

#include "vorncommanddata.h"
#include "vornhistory_export.h"

// The data of a command that needs none: an empty record.
// Owned like any command data (its command, then the serializer); holds nothing,
// so any thread may use it.
class VORNHISTORY_EXPORT EmptyCommandData : public VornCommandData
{
public:
    static constexpr unsigned int Type = 0xFFFFFFFF;

    bool Serialize(IWriter* writer) override;
    bool Deserialize(IReader* reader) override;
    void ReleaseSerializeData() override;
    unsigned int GetDataType() const override;
};

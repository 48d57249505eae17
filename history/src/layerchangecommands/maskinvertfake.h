#pragma once

#include "vorncommanddata.h"
#include "vornhistory_export.h"

// The data of the mask invert command: an empty record, like EmptyCommandData,
// but a class of its own.
// Holds nothing; its command owns it until the push, the stack's serializer after.
// Used on the GUI thread; the serializer's worker writes and releases it between
// executions.
class VORNHISTORY_EXPORT MaskInvertFake : public VornCommandData
{
public:
    static constexpr unsigned int Type = 0xFFFFFFFF;

    bool Serialize(IWriter* writer) override;
    bool Deserialize(IReader* reader) override;
    void ReleaseSerializeData() override;
    unsigned int GetDataType() const override;
};

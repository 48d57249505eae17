#pragma once

#include "kxstyleeffectrowdata.h"
#include "vornhistory_export.h"

// An effect removed from the layer style, with the row it was in. There is no
// cast function: the command tests the type number itself.
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the thread that owns the stack (the GUI thread); between
// executions the serializer's worker writes and releases the record.
class VORNHISTORY_EXPORT KXStyleEffectRemoveCommandData : public KXStyleEffectRowData
{
public:
    static constexpr unsigned int Type = 44;
    unsigned int GetDataType() const override { return Type; }
};

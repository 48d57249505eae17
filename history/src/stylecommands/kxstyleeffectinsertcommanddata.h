#pragma once

#include "kxstyleeffectrowdata.h"
#include "vornhistory_export.h"

// An effect inserted into the layer style at a row. There is no cast
// function: the command tests the type number itself.
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the thread that owns the stack (the GUI thread); between
// executions the serializer's worker writes and releases the record.
class VORNHISTORY_EXPORT KXStyleEffectInsertCommandData : public KXStyleEffectRowData
{
public:
    static constexpr unsigned int Type = 43;
    unsigned int GetDataType() const override { return Type; }
};

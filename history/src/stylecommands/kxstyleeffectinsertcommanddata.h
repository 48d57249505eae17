#pragma once

#include "kxstyleeffectrowdata.h"
#include "vornhistory_export.h"

// An effect inserted into the layer style at a row. There is no cast
// function: the command tests the type number itself.
class VORNHISTORY_EXPORT KXStyleEffectInsertCommandData : public KXStyleEffectRowData
{
public:
    static constexpr unsigned int Type = 43;
    unsigned int GetDataType() const override { return Type; }
};

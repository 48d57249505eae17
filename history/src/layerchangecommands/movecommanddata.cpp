#include "movecommanddata.h"

MoveCommandData* movecommanddata_cast(VornCommandData* data)
{
    return VornDataCast<MoveCommandData>(data);
}

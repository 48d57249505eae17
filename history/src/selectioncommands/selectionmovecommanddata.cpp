#include "selectionmovecommanddata.h"

SelectionMoveCommandData* selectionmovedata_cast(VornCommandData* data)
{
    return VornDataCast<SelectionMoveCommandData>(data);
}

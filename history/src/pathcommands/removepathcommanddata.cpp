#include "removepathcommanddata.h"

RemovePathCommandData* RemovePathCommandData_cast(VornCommandData* data)
{
    return VornDataCast<RemovePathCommandData>(data);
}

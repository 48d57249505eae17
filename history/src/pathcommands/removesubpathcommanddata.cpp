#include "removesubpathcommanddata.h"

RemoveSubpathCommandData* RemoveSubpathCommandData_cast(VornCommandData* data)
{
    return VornDataCast<RemoveSubpathCommandData>(data);
}

#include "insertsubpathcommanddata.h"

InsertSubpathCommandData* InsertSubpathCommandData_cast(VornCommandData* data)
{
    return VornDataCast<InsertSubpathCommandData>(data);
}

#include "insertpathcommanddata.h"

InsertPathCommandData* InsertPathCommandData_cast(VornCommandData* data)
{
    return VornDataCast<InsertPathCommandData>(data);
}

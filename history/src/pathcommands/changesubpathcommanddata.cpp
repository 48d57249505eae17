#include "changesubpathcommanddata.h"

ChangeSubpathCommandData* ChangeSubpathCommandData_cast(VornCommandData* data)
{
    return VornDataCast<ChangeSubpathCommandData>(data);
}

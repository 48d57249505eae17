#include "duplicatepathcommanddata.h"

DuplicatePathCommandData* DuplicatePathCommandData_cast(VornCommandData* data)
{
    return VornDataCast<DuplicatePathCommandData>(data);
}

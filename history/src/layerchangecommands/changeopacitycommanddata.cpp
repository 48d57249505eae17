#include "changeopacitycommanddata.h"

ChangeOpacityCommandData* changeopacitydata_cast(VornCommandData* data)
{
    return VornDataCast<ChangeOpacityCommandData>(data);
}

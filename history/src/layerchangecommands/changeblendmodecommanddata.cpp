#include "changeblendmodecommanddata.h"

ChangeBlendModeCommandData* changeblenddata_cast(VornCommandData* data)
{
    return VornDataCast<ChangeBlendModeCommandData>(data);
}

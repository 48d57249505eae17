#include "insertchannelcommanddata.h"

InsertChannelCommandData* insertchannelcommanddata_cast(VornCommandData* data)
{
    return VornDataCast<InsertChannelCommandData>(data);
}

#include "kxchangerasterdata.h"

KXChangeRasterData* kxchangerasterdata_cast(VornCommandData* data)
{
    return VornDataCast<KXChangeRasterData>(data);
}

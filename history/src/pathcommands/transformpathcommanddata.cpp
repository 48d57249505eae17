#include "transformpathcommanddata.h"

TransformPathCommandData* TransformPathCommandData_cast(VornCommandData* data)
{
    return VornDataCast<TransformPathCommandData>(data);
}

#include "emptycommanddata.h"

bool EmptyCommandData::Serialize(IWriter*)
{
    return true;
}

bool EmptyCommandData::Deserialize(IReader*)
{
    return true;
}

void EmptyCommandData::ReleaseSerializeData()
{
}

unsigned int EmptyCommandData::GetDataType() const
{
    return Type;
}

#include "maskinvertfake.h"

bool MaskInvertFake::Serialize(IWriter*)
{
    return true;
}

bool MaskInvertFake::Deserialize(IReader*)
{
    return true;
}

void MaskInvertFake::ReleaseSerializeData()
{
}

unsigned int MaskInvertFake::GetDataType() const
{
    return Type;
}

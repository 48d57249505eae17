// LayerDataItemRead on arbitrary file contents.
#include "fuzzcommon.h"
#include "layerdataitem.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzInit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzRecord record(data, size);
    if (!record.Ok())
        return 0;
    LayerDataItem item;
    LayerDataItemRead(record.Reader(), item);
    return 0;
}

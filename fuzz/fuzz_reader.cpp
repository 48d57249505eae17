// Every IReader operation of VornReaderWriter on arbitrary file contents. The
// first input byte picks the operation; it is repeated on the rest of the
// file while it succeeds (at most four times).
#include "fuzzcommon.h"
#include "fuzzreadops.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzInit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    FuzzRecord record(data + 1, size - 1);
    if (!record.Ok())
        return 0;
    for (int i = 0; i < 4 && FuzzReadOperation(record.Reader(), data[0] % kFuzzReadOperations); ++i) {
    }
    return 0;
}

// The Deserialize of every command-data class on arbitrary file contents; the
// first input byte picks the class. A record that reads is written again.
#include <memory>

#include "fuzzcommon.h"
#include "fuzztables.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzInit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const FuzzEntry& entry = FuzzEntries()[data[0] % FuzzEntries().size()];
    FuzzRecord record(data + 1, size - 1);
    if (!record.Ok())
        return 0;
    std::unique_ptr<VornCommandData> commandData(entry.data());
    if (commandData->Deserialize(record.Reader())) {
        VornReaderWriter copy;
        if (copy.Open(FuzzPath("copy")))
            commandData->Serialize(&copy);
    }
    return 0;
}

// A record read from arbitrary file contents, then its command redone and
// undone on a small document (also when the read failed: the command then
// meets data without a record). The first input byte picks the class.
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
    if (!entry.command)
        return 0;
    FuzzRecord record(data + 1, size - 1);
    if (!record.Ok())
        return 0;
    std::unique_ptr<VornCommandData> commandData(entry.data());
    commandData->Deserialize(record.Reader());
    KXMemoryDocument document(QSize(64, 48));
    FuzzDocument(document);
    std::unique_ptr<VornCommand> command(entry.command(&document));
    command->redoExec(commandData.get());
    command->undoExec(commandData.get());
    command->redoExec(commandData.get());
    return 0;
}

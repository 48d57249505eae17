#pragma once

#include "vornhistory_export.h"

class IReader;
class IWriter;

// What a command needs to undo and redo itself. The payload (images, lists,
// strings) is written once to a record file, released, and read back before
// each later execution; small fields outside the record survive a release.
//
// Owned by its command until the push, then by the stack's serializer, which
// deletes it with its command. Filled and executed on the stack's thread; the
// serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT VornCommandData
{
public:
    virtual ~VornCommandData();

    // Writes the payload as one record; false for a null writer, no payload or a failed field.
    virtual bool Serialize(IWriter* writer) = 0;
    // Reads the record back in the order Serialize wrote it, recreating the payload.
    virtual bool Deserialize(IReader* reader) = 0;
    // Frees the payload; the object stays as an empty shell until Deserialize.
    virtual void ReleaseSerializeData() = 0;
    // The class's fixed data-type number.
    virtual unsigned int GetDataType() const = 0;
};

#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// Creates one alpha channel, empty or from the current selection (data:
// InsertChannelCommandData); undo deletes it again.
//
// Redo raises the document state counter by one and undo lowers it, also
// when the document reports a failure; null data, data of another kind, data
// without a record or no document leave everything alone, silently.
//
// The creation of an empty channel is reported ("Error to create new alpha
// channel id = %1") only when the document says it failed, like the creation
// from the selection. A data object whose action type was never set asks for
// nothing: redo reports "Unknown error." and undo still deletes the id.
//
// Owned by the undo stack once pushed; holds its document without owning it;
// its data belongs to the stack's serializer after the push. Use it on the GUI thread.
class VORNHISTORY_EXPORT InsertChannelCommand : public VornCommand
{
public:
    // The document is not owned and may be null.
    explicit InsertChannelCommand(KXDocumentInterface* document);
    ~InsertChannelCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    KXDocumentInterface* m_document;
};

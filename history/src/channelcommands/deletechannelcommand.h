#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class QItemSelectionModel;

// Deletes a set of alpha channels (data: DeleteChannelCommandData, which
// keeps each channel's name, offset and mask); undo recreates them.
//
// Redo deletes the highest id first, so that no deletion moves an id still to
// be deleted, then, when the channel list's selection model has no selected
// row left, selects the composite channels (the channel model's first rows).
// Undo recreates the lowest id first and leaves the selection as it is. A
// channel the document fails to delete or recreate is reported and the others
// are still handled. Redo raises the state counter by one, undo lowers it;
// null data, data of another kind or no document leave everything alone.
//
// Owned by the undo stack once pushed; holds its document and the channel
// selection model without owning them; its data belongs to the stack's
// serializer after the push. Use it on the GUI thread.
class VORNHISTORY_EXPORT DeleteChannelCommand : public VornCommand
{
public:
    // Neither is owned; both may be null. channelSelection selects rows of the
    // document's channel model (a selection model of another model is left alone).
    DeleteChannelCommand(KXDocumentInterface* document, QItemSelectionModel* channelSelection);
    ~DeleteChannelCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    void SelectCompositeChannelsIfNoneSelected();

    KXDocumentInterface* m_document;
    QItemSelectionModel* m_channelSelection;
};

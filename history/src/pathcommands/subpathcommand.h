#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class KXPathsListModel;

// Inserts, changes and removes one subpath of a path in the document's path
// list. The kind of change is the type of the data: InsertSubpathCommandData
// (15), ChangeSubpathCommandData (16) or RemoveSubpathCommandData (28).
//
// The state counter, null data, no document, data of another kind and indices
// out of range behave as for PathCommand. A change sets the subpath's
// elements with the model's notifying call both ways, so views always follow;
// the integer kept with each subpath is its KXPathsListModel::LogicalOp.
//
// Owned by the undo stack once pushed; holds its document without owning it;
// its data belongs to the stack's serializer after the push. Use it on the GUI thread.
class VORNHISTORY_EXPORT SubpathCommand : public VornCommand
{
public:
    // The document is not owned and may be null.
    explicit SubpathCommand(KXDocumentInterface* document);
    ~SubpathCommand() override;

    void UndoInsert(VornCommandData* data);
    void UndoChange(VornCommandData* data);
    void UndoRemoveSubpath(VornCommandData* data);
    void RedoInsert(VornCommandData* data);
    void RedoChange(VornCommandData* data);
    void RedoRemoveSubpath(VornCommandData* data);

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    // The path model, or null (reports first when data is not of the type).
    KXPathsListModel* Model(VornCommandData* data, unsigned int type) const;

    KXDocumentInterface* m_document;
};

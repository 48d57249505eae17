#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class KXPathsListModel;

// Inserts, removes, transforms and duplicates whole paths of the document's
// path list (KXPathsListModel). The kind of change is the type of the data
// the command is given: InsertPathCommandData (11), RemovePathCommandData
// (12), TransformPathCommandData (13) or DuplicatePathCommandData (14).
//
// Every execution with data and a document moves the state counter by one
// (redo +1, undo -1), also for data of another kind (which changes nothing),
// without a path model or when the data lacks a field. Null data or no
// document: nothing at all. The operations below may also be called directly;
// given data of another kind they report "Error. Wrong input data.".
//
// Indices are handed to the model as stored: one out of range makes the
// model's call fail and the execution change nothing, except for a duplicate,
// whose redo always appends a copy (an empty path for an index out of range)
// so that its undo, which removes the last path, stays its exact opposite.
//
// A transform starts every redo from the stored untransformed path. The
// chosen subpath (an index out of the path's range: every subpath) is first
// moved so that its bounding rectangle (the union of all the subpaths' for the
// whole path) has its top-left at the origin; the stored transform then
// places it.
//
// Owned by the undo stack once pushed; holds its document without owning it;
// its data belongs to the stack's serializer after the push. Use it on the GUI thread.
class VORNHISTORY_EXPORT PathCommand : public VornCommand
{
public:
    // The document is not owned and may be null.
    explicit PathCommand(KXDocumentInterface* document);
    ~PathCommand() override;

    void UndoInsert(VornCommandData* data);
    void UndoRemove(VornCommandData* data);
    void UndoTransform(VornCommandData* data);
    void UndoDuplicate(VornCommandData* data);
    void RedoInsert(VornCommandData* data);
    void RedoRemove(VornCommandData* data);
    void RedoTransform(VornCommandData* data);
    void RedoDuplicate(VornCommandData* data);

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    // The path model, or null (reports first when data is not of the type).
    KXPathsListModel* Model(VornCommandData* data, unsigned int type) const;

    KXDocumentInterface* m_document;
};

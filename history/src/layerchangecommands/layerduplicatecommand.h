#pragma once

#include <QString>

#include "layerdataitem.h"
#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class LayerDuplicateCommandData;

// Names the layer the host has just made as a copy (data:
// LayerDuplicateCommandData, the copy's id): its current name, cut before a
// " copy" / " copy N" suffix it may carry, followed by " copy", or by
// " copy 1", " copy 2" ... when that name is taken. Undo removes the copy.
//
// A redo after an undo brings the copy back as it was when the undo removed
// it (pixels, mask, properties, name and locks, captured then) rather than
// renaming whatever layer stands at that id by then.
// Owned by the undo stack once pushed; holds its document without owning it; its data
// belongs to the stack's serializer after the push. Use it on the GUI thread, which
// owns the stack and the document. It owns the copy it keeps for the next redo.
class VORNHISTORY_EXPORT LayerDuplicateCommand : public VornCommand
{
public:
    // The document is not owned; a null one makes every execution report.
    // The flag is kept for the host only.
    LayerDuplicateCommand(KXDocumentInterface* document, bool flag);
    ~LayerDuplicateCommand() override;

    bool GetFlag() const { return m_flag; }

    // True when no layer of the document is named exactly name.
    bool NotFound(const QString& name) const;
    // The unique name the rule gives the copy at id.
    QString CopyName(unsigned int id) const;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    // The data typed, or null after reporting why not.
    LayerDuplicateCommandData* CheckedData(VornCommandData* data, unsigned int& id) const;

    KXDocumentInterface* m_document;
    bool m_flag;
    // The copy as the last undo removed it.
    bool m_hasRemovedCopy = false;
    LayerDataItem m_removedCopy;
    unsigned int m_removedLocks = 0;
};

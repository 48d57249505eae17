#pragma once

#include <QList>

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// Toggles the enabled state of the masks of the listed layers; undo toggles
// them back. The document state counter does not move. The command's data
// is a LayerDuplicateCommandData without selection model (holding layer id
// 0, so that it has a record to write), which it never reads.
// Owned by the undo stack once pushed; holds its document without owning it; the data
// its constructor made belongs to the stack's serializer after the push. Use it on the
// GUI thread, which owns the stack and the document.
class VORNHISTORY_EXPORT LayerMaskDisableEnableCommand : public VornCommand
{
public:
    // The document is not owned; with a null one executions do nothing.
    explicit LayerMaskDisableEnableCommand(KXDocumentInterface* document);
    ~LayerMaskDisableEnableCommand() override;

    void addLayerId(unsigned int id);
    const QList<unsigned int>& GetLayerIds() const { return m_ids; }

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    void Toggle();

    KXDocumentInterface* m_document;
    QList<unsigned int> m_ids;
};

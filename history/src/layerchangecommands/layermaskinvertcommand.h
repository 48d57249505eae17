#pragma once

#include <QList>

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// Flips the mask type flag of the masks of the listed layers and refreshes
// them and the whole view; undo flips them back (the same operation). The
// command's data is a MaskInvertFake, which it never reads.
// Owned by the undo stack once pushed; holds its document without owning it; the data
// its constructor made belongs to the stack's serializer after the push. Use it on the
// GUI thread, which owns the stack and the document.
class VORNHISTORY_EXPORT LayerMaskInvertCommand : public VornCommand
{
public:
    // The document is not owned; with a null one executions do nothing.
    explicit LayerMaskInvertCommand(KXDocumentInterface* document);
    ~LayerMaskInvertCommand() override;

    void addLayerId(unsigned int id);
    const QList<unsigned int>& GetLayerIds() const { return m_ids; }

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    // Flips every listed mask under the wait cursor and moves the state counter by step.
    void Invert(int step);

    KXDocumentInterface* m_document;
    QList<unsigned int> m_ids;
};

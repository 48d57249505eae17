#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class KXDocumentModel;
class LayerMaskCreateCommandData;

// Gives a layer the mask of its LayerMaskCreateCommandData (pixels, position,
// type) and removes it again on undo.
// Owned by the undo stack once pushed; holds its document and model without owning
// them; its data belongs to the stack's serializer after the push. Use it on the GUI
// thread, which owns the stack and the document.
class VORNHISTORY_EXPORT LayerMaskCreateCommand : public VornCommand
{
public:
    // The document and model are not owned; a null document makes every
    // execution report. The flag and the model are kept for the host only.
    LayerMaskCreateCommand(KXDocumentInterface* document, bool flag, KXDocumentModel* model = nullptr);
    ~LayerMaskCreateCommand() override;

    bool GetFlag() const { return m_flag; }
    KXDocumentModel* GetModel() const { return m_model; }

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    LayerMaskCreateCommandData* CheckedData(VornCommandData* data) const;

    KXDocumentInterface* m_document;
    bool m_flag;
    KXDocumentModel* m_model;
};

#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// Applies one affine transform to a set of layers, or to their masks (data:
// TransformCommandData). Redo resamples every saved image through the
// transform (bicubic) and places the result; text layers are re-rendered
// with the transform instead. Undo puts the saved images and offsets back.
// Every redo starts again from the saved images, so repeated undo and redo
// never add up resampling loss.
//
// Owned by the undo stack once pushed; holds its document without owning it;
// its data belongs to the stack's serializer after the push. Use it on the GUI thread.
class VORNHISTORY_EXPORT TransformCommand : public VornCommand
{
public:
    // maskMode true works on the layers' masks. The document is not owned.
    TransformCommand(KXDocumentInterface* document, bool maskMode);
    ~TransformCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    void TransformLayer(const class TransformCommandData& data, unsigned int layer, const QTransform& transform,
                        const QTransform& oldTransform);

    KXDocumentInterface* m_document;
    bool m_maskMode;
};

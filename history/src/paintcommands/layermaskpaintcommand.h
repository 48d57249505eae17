#pragma once

#include "paintcommand.h"
#include "vornhistory_export.h"

// A stroke on a layer's mask; its data is a LayerMaskPaintCommandData.
// Owned by the undo stack once pushed; holds its document without owning it;
// its data belongs to the stack's serializer after the push. Use it on the GUI thread.
class VORNHISTORY_EXPORT LayerMaskPaintCommand : public PaintCommand
{
public:
    // With firstRedo false the push's redo takes the mask as already painted.
    LayerMaskPaintCommand(KXDocumentInterface* document, bool firstRedo);

protected:
    PaintCommandData* CastData(VornCommandData* data) const override;
    KXImage32* Target(unsigned int id) const override;
    QRect TargetGeometry(unsigned int id) const override;
    void PlaceTarget(unsigned int id, const QPoint& position) const override;
    void TargetChanged(unsigned int id) const override;
    // Opaque black (0xFF000000) when the mask type flag is set (or the
    // document does not say), transparent otherwise; the same when shrinking.
    KXImage32 NewTarget(unsigned int id, const QSize& size, bool growing) const override;
};

#pragma once

#include "kxchangerastercommand.h"
#include "vornhistory_export.h"

// Replaces a layer's pixels whole (a filter, an adjustment applied to pixels).
// Owned by the undo stack once pushed; holds its document without owning it; its data
// belongs to the stack's serializer after the push. Use it on the GUI thread, which
// owns the stack and the document.
class VORNHISTORY_EXPORT KXChangeLayerRasterCommand : public KXChangeRasterCommand
{
public:
    // The document is not owned and may be null (every execution then reports).
    KXChangeLayerRasterCommand(KXDocumentInterface* document, bool firstRedo);
    ~KXChangeLayerRasterCommand() override;

protected:
    KXImage32* Target(unsigned int id) const override;
    QRect TargetGeometry(unsigned int id) const override;
    void PlaceTarget(unsigned int id, const QPoint& position) const override;
    bool TargetVisible(unsigned int id) const override;
    void TargetChanged(unsigned int id) const override;
};

#include "layermaskpaintcommand.h"

#include "KXDocumentInterface.h"
#include "layermaskpaintcommanddata.h"

LayerMaskPaintCommand::LayerMaskPaintCommand(KXDocumentInterface* document, bool firstRedo)
    : PaintCommand(document, firstRedo)
{
    SetCommandData(new LayerMaskPaintCommandData);
}

PaintCommandData* LayerMaskPaintCommand::CastData(VornCommandData* data) const
{
    return layermaskpaintcommanddata_cast(data);
}

KXImage32* LayerMaskPaintCommand::Target(unsigned int id) const
{
    return GetDocument()->GetLayerMask(id);
}

QRect LayerMaskPaintCommand::TargetGeometry(unsigned int id) const
{
    return GetDocument()->GetMaskGeometry(id);
}

void LayerMaskPaintCommand::PlaceTarget(unsigned int id, const QPoint& position) const
{
    GetDocument()->SetMaskPos(id, position);
}

void LayerMaskPaintCommand::TargetChanged(unsigned int id) const
{
    GetDocument()->UpdateLayerMask(id);
}

KXImage32 LayerMaskPaintCommand::NewTarget(unsigned int id, const QSize& size, bool) const
{
    KXImage32 image(unsigned(size.width()), unsigned(size.height()));
    bool maskType = true; // a document that leaves the flag alone counts as set
    GetDocument()->GetMaskType(id, maskType);
    image.FastFill(KXRGBA32i::FromValue(maskType ? 0xFF000000u : 0u));
    return image;
}

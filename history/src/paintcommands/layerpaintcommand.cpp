#include "layerpaintcommand.h"

#include "KXDocumentInterface.h"
#include "layerpaintcommanddata.h"

LayerPaintCommand::LayerPaintCommand(KXDocumentInterface* document, bool firstRedo)
    : PaintCommand(document, firstRedo)
{
    SetCommandData(new LayerPaintCommandData);
}

PaintCommandData* LayerPaintCommand::CastData(VornCommandData* data) const
{
    return layerpaintcommanddata_cast(data);
}

KXImage32* LayerPaintCommand::Target(unsigned int id) const
{
    return GetDocument()->GetLayerImage(id);
}

QRect LayerPaintCommand::TargetGeometry(unsigned int id) const
{
    return GetDocument()->GetLayerGeometry(id);
}

void LayerPaintCommand::PlaceTarget(unsigned int id, const QPoint& position) const
{
    GetDocument()->SetLayerPosition(id, position);
}

void LayerPaintCommand::TargetChanged(unsigned int id) const
{
    GetDocument()->UpdateLayer(id);
}

KXImage32 LayerPaintCommand::NewTarget(unsigned int, const QSize& size, bool) const
{
    return KXImage32(unsigned(size.width()), unsigned(size.height()));
}

#include "kxchangelayerrastercommand.h"

#include "KXDocumentInterface.h"

KXChangeLayerRasterCommand::KXChangeLayerRasterCommand(KXDocumentInterface* document, bool firstRedo)
    : KXChangeRasterCommand(document, firstRedo)
{
}

KXChangeLayerRasterCommand::~KXChangeLayerRasterCommand() = default;

KXImage32* KXChangeLayerRasterCommand::Target(unsigned int id) const
{
    return GetDocument()->GetLayerImage(id);
}

QRect KXChangeLayerRasterCommand::TargetGeometry(unsigned int id) const
{
    return GetDocument()->GetLayerGeometry(id);
}

void KXChangeLayerRasterCommand::PlaceTarget(unsigned int id, const QPoint& position) const
{
    GetDocument()->SetLayerPosition(id, position);
}

bool KXChangeLayerRasterCommand::TargetVisible(unsigned int) const
{
    return true;
}

void KXChangeLayerRasterCommand::TargetChanged(unsigned int id) const
{
    GetDocument()->UpdateLayer(id);
}

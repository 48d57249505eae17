#include "kxchangemaskrastercommand.h"

#include "KXDocumentInterface.h"

KXChangeMaskRasterCommand::KXChangeMaskRasterCommand(KXDocumentInterface* document, bool firstRedo)
    : KXChangeRasterCommand(document, firstRedo)
{
}

KXChangeMaskRasterCommand::~KXChangeMaskRasterCommand() = default;

KXImage32* KXChangeMaskRasterCommand::Target(unsigned int id) const
{
    return GetDocument()->GetLayerMask(id);
}

QRect KXChangeMaskRasterCommand::TargetGeometry(unsigned int id) const
{
    return GetDocument()->GetMaskGeometry(id);
}

void KXChangeMaskRasterCommand::PlaceTarget(unsigned int id, const QPoint& position) const
{
    GetDocument()->SetMaskPos(id, position);
}

bool KXChangeMaskRasterCommand::TargetVisible(unsigned int id) const
{
    return GetDocument()->GetMaskEnabled(id);
}

void KXChangeMaskRasterCommand::TargetChanged(unsigned int id) const
{
    GetDocument()->UpdateLayerMask(id);
}

#include "kxchangerastercommand.h"

#include "KXDocumentInterface.h"
#include "KXDocumentLayerLockerForWrite.h"
#include "KXErrorReport.h"
#include "checkedgeometry_p.h"
#include "kxchangerasterdata.h"

KXChangeRasterCommand::KXChangeRasterCommand(KXDocumentInterface* document, bool firstRedo)
    : m_document(document)
    , m_firstRedo(firstRedo)
{
}

void KXChangeRasterCommand::RedoExecute(VornCommandData* data)
{
    Apply(data, true);
}

void KXChangeRasterCommand::UndoExecute(VornCommandData* data)
{
    Apply(data, false);
}

void KXChangeRasterCommand::Apply(VornCommandData* data, bool redo)
{
    const KXChangeRasterData* rasterData = kxchangerasterdata_cast(data);
    if (!rasterData || !m_document) {
        VORN_REPORT(QStringLiteral("Command error. No docuemnt or no command data."));
        return;
    }
    unsigned int id = 0;
    if (!rasterData->GetLayerID(id)) {
        VORN_REPORT(QStringLiteral("An internal error"));
        return;
    }
    if (redo && !m_firstRedo) {
        // The application has changed the image already.
        m_firstRedo = true;
        TargetChanged(id);
        m_document->SetDocumentState(m_document->GetDocumentState() + 1);
        return;
    }
    QPoint position;
    KXImage32 image;
    if (!(redo ? rasterData->GetRedoImage(position, image) : rasterData->GetUndoImage(position, image))) {
        VORN_REPORT(QStringLiteral("An internal error"));
        return;
    }
    QRect placed;
    if (!CheckedGeometry::PlacedRect(position, image.GetSize(), placed)) {
        VORN_REPORT(QStringLiteral("An internal error"));
        return;
    }
    const QRect redraw = placed | TargetGeometry(id);
    KXDocumentLayerLockerForWrite locker(m_document, id);
    if (KXImage32* target = Target(id))
        *target = image;
    locker.Unlock();
    PlaceTarget(id, position);
    if (TargetVisible(id))
        m_document->UpdateView(redraw);
    TargetChanged(id);
    m_document->SetDocumentState(m_document->GetDocumentState() + (redo ? 1 : -1));
}

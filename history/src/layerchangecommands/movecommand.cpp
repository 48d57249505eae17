#include "movecommand.h"

#include <QMatrix4x4>

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "checkedgeometry_p.h"
#include "movecommanddata.h"

namespace {

// The affine part of a transform (its perspective terms dropped).
QTransform AffinePart(const QTransform& transform)
{
    return QTransform(transform.m11(), transform.m12(), transform.m21(), transform.m22(), transform.dx(),
                      transform.dy());
}

} // namespace

MoveCommand::MoveCommand(KXDocumentInterface* document, bool firstRedoFlag)
    : m_document(document)
    , m_firstRedo(firstRedoFlag)
{
}

MoveCommand::~MoveCommand() = default;

MoveCommandData* MoveCommand::CheckedData(VornCommandData* data) const
{
    MoveCommandData* moveData = movecommanddata_cast(data);
    if (!moveData) {
        VORN_REPORT(QStringLiteral("Error input data."));
        return nullptr;
    }
    if (!m_document) {
        VORN_REPORT(QStringLiteral("Error command."));
        return nullptr;
    }
    return moveData;
}

void MoveCommand::RedoExecute(VornCommandData* data)
{
    const MoveCommandData* moveData = CheckedData(data);
    if (!moveData)
        return;
    if (!m_firstRedo) {
        // The application has moved everything already.
        m_firstRedo = true;
        m_document->SetDocumentState(m_document->GetDocumentState() + 1);
        return;
    }
    Move(*moveData, true);
}

void MoveCommand::UndoExecute(VornCommandData* data)
{
    m_firstRedo = true;
    if (const MoveCommandData* moveData = CheckedData(data))
        Move(*moveData, false);
}

void MoveCommand::Move(const MoveCommandData& data, bool redo)
{
    QList<unsigned int> layers;
    QList<unsigned int> masks;
    QPoint delta;
    QTransform textTransform;
    const bool read = data.GetLayers(layers) && data.GetMasks(masks) && data.GetDelta(delta)
        && (redo ? data.GetTextLayerNewTransformation(textTransform) : data.GetTextLayerOldTransformation(textTransform));
    // A delta beyond any document would overflow the positions it moves.
    if (!read || !CheckedGeometry::IsPlaceable(delta)) {
        VORN_REPORT(QStringLiteral("Error to get command data."));
        return;
    }
    if (!redo)
        delta = -delta;
    const QMatrix4x4 placement(AffinePart(textTransform));
    for (unsigned int id : qAsConst(layers)) {
        // A layer listed in both lists moves with its mask; each listing counts once.
        if (masks.removeOne(id)) {
            m_document->MoveLayerAndMask(id, delta, delta);
        } else {
            m_document->MoveLayer(id, delta);
            m_document->SetTextTransform(id, placement);
        }
    }
    for (unsigned int id : qAsConst(masks))
        m_document->MoveMask(id, delta);
    if (m_document->HasSelection())
        m_document->TranslateSelection(delta);
    m_document->SetDocumentState(m_document->GetDocumentState() + (redo ? 1 : -1));
}

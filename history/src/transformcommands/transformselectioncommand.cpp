#include "transformselectioncommand.h"

#include <exception>

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "KXImageOps.h"
#include "KXSelectionMaskHelper.h"
#include "transformgeometry_p.h"
#include "transformselectioncommanddata.h"
#include "vornwaitcursor_p.h"

TransformSelectionCommand::TransformSelectionCommand(KXDocumentInterface* document)
    : m_document(document)
{
}

TransformSelectionCommand::~TransformSelectionCommand() = default;

void TransformSelectionCommand::ApplyTransform(const TransformSelectionCommandData& data)
{
    const QTransform* given = data.GetTransform();
    const QTransform transform = given ? *given : QTransform();
    KXImage32 stored;
    QPoint offset;
    if (!data.GetUndoImage(stored, offset))
        return;
    // The transform carries the placement: the stored offset plays no part.
    const QRectF mapped = transform.mapRect(QRectF(0, 0, stored.GetWidth(), stored.GetHeight()));
    QSize size;
    if (!TransformGeometry::ImageSize(mapped, size))
        return;
    KXImage32 result{unsigned(size.width()), unsigned(size.height())};
    result.FastFill(KXRGBA32i());
    BicubicTransformImage(stored, transform * QTransform::fromTranslate(-mapped.x(), -mapped.y()), result, QRect());
    const QRect selected = KXSelectionMaskHelper::GetSelectionBoundRect(result);
    const QPoint origin(qRound(mapped.x()), qRound(mapped.y()));
    if (selected.isEmpty()) {
        // Nothing stays selected: no selection.
        m_document->SetSelectionMask(KXImage32(), origin);
    } else {
        const KXImage32 trimmed = selected == result.GetRect() ? result : result.Copy(selected);
        m_document->SetSelectionMask(trimmed, origin + selected.topLeft());
    }
    m_document->EndEditSelection();
}

void TransformSelectionCommand::RedoExecute(VornCommandData* data)
{
    const TransformSelectionCommandData* selectionData = transformselectioncommanddata_cast(data);
    if (!selectionData || !m_document)
        return;
    VornWaitCursor cursor;
    try {
        ApplyTransform(*selectionData);
    } catch (const std::exception& exception) {
        VORN_REPORT_EXCEPTION(exception);
        throw;
    } catch (...) {
        VORN_REPORT_UNKNOWN_EXCEPTION();
        throw;
    }
    cursor.Restore();
    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void TransformSelectionCommand::UndoExecute(VornCommandData* data)
{
    const TransformSelectionCommandData* selectionData = transformselectioncommanddata_cast(data);
    if (!selectionData || !m_document)
        return;
    VornWaitCursor cursor;
    try {
        KXImage32 stored;
        QPoint offset;
        if (selectionData->GetUndoImage(stored, offset)) {
            m_document->SetSelectionMask(stored, offset);
            m_document->EndEditSelection();
        }
    } catch (const std::exception& exception) {
        VORN_REPORT_EXCEPTION(exception);
        throw;
    } catch (...) {
        VORN_REPORT_UNKNOWN_EXCEPTION();
        throw;
    }
    cursor.Restore();
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

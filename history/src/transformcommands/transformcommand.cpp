#include "transformcommand.h"

#include <QMatrix4x4>

#include <exception>

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "KXImageHelper.h"
#include "KXImageOps.h"
#include "transformcommanddata.h"
#include "transformgeometry_p.h"
#include "vornwaitcursor_p.h"

TransformCommand::TransformCommand(KXDocumentInterface* document, bool maskMode)
    : m_document(document)
    , m_maskMode(maskMode)
{
}

TransformCommand::~TransformCommand() = default;

void TransformCommand::TransformLayer(const TransformCommandData& data, unsigned int layer,
                                      const QTransform& transform, const QTransform& oldTransform)
{
    KXImage32 saved;
    QPoint offset;
    if (!data.GetUndoLayerImage(layer, saved, offset))
        return;
    const int type = m_document->GetLayerType(layer);
    if (type == KXDocumentInterface::RasterLayer || m_maskMode) {
        // The transform carries the placement: the saved offset plays no part.
        const QRectF mapped = transform.mapRect(QRectF(0, 0, saved.GetWidth(), saved.GetHeight()));
        QSize size;
        if (!TransformGeometry::ImageSize(mapped, size))
            return;
        KXImage32 result{unsigned(size.width()), unsigned(size.height())};
        if (m_maskMode) {
            bool revealing = false;
            m_document->GetMaskType(layer, revealing);
            result.FastFill(KXRGBA32i::FromValue(revealing ? 0xFFFFFFFFu : 0u));
        } else {
            result.Fill(KXRGBA32i());
        }
        const QTransform shifted = transform * QTransform::fromTranslate(-mapped.x(), -mapped.y());
        BicubicTransformImage(saved, shifted, result, QRect());
        const QPoint position(qRound(mapped.x()), qRound(mapped.y()));
        if (m_maskMode) {
            m_document->SetLayerMask(layer, result);
            m_document->SetMaskPos(layer, position);
        } else {
            m_document->SetLayerImage(layer, result);
            m_document->SetLayerPosition(layer, position);
        }
        m_document->UpdateLayer(layer);
    } else if (type == KXDocumentInterface::TextLayer) {
        KXImageHelper helper;
        helper.InitHelper(m_document, layer);
        helper.SetRenderMode(m_document->GetTextRenderMode(layer));
        QTransform resulting;
        helper.drawImage(m_document, layer, transform, resulting, false, false);
        m_document->SetTextTransform(layer, QMatrix4x4(oldTransform.isIdentity() ? transform : resulting));
    }
}

void TransformCommand::RedoExecute(VornCommandData* data)
{
    const TransformCommandData* transformData = transformcommanddata_cast(data);
    if (!transformData || !m_document)
        return;
    VornWaitCursor cursor;
    const QTransform* given = transformData->GetTransform();
    const QTransform* givenOld = transformData->GetOldTransform();
    const QTransform transform = given ? *given : QTransform();
    const QTransform oldTransform = givenOld ? *givenOld : QTransform();
    try {
        for (unsigned int layer : transformData->GetIndexList())
            TransformLayer(*transformData, layer, transform, oldTransform);
        m_document->UpdateView(QRect());
    } catch (const std::exception& exception) {
        // The layers done so far stay transformed; the step is still taken.
        VORN_REPORT_EXCEPTION(exception);
    } catch (...) {
        VORN_REPORT_UNKNOWN_EXCEPTION();
        throw;
    }
    cursor.Restore();
    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void TransformCommand::UndoExecute(VornCommandData* data)
{
    const TransformCommandData* transformData = transformcommanddata_cast(data);
    if (!transformData || !m_document)
        return;
    VornWaitCursor cursor;
    const QTransform* givenOld = transformData->GetOldTransform();
    const QMatrix4x4 oldPlacement(givenOld ? *givenOld : QTransform());
    try {
        for (unsigned int layer : transformData->GetIndexList()) {
            KXImage32 saved;
            QPoint offset;
            if (!transformData->GetUndoLayerImage(layer, saved, offset))
                continue;
            if (m_maskMode) {
                m_document->SetLayerMask(layer, saved);
                m_document->SetMaskPos(layer, offset);
            } else {
                m_document->SetLayerImage(layer, saved);
                m_document->SetLayerPosition(layer, offset);
                m_document->SetTextTransform(layer, oldPlacement);
            }
            m_document->UpdateLayer(layer);
        }
        m_document->UpdateView(QRect());
    } catch (const std::exception& exception) {
        VORN_REPORT_EXCEPTION(exception);
    } catch (...) {
        VORN_REPORT_UNKNOWN_EXCEPTION();
        throw;
    }
    cursor.Restore();
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

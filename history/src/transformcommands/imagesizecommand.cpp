#include "imagesizecommand.h"

#include <exception>

#include "KXDocumentInterface.h"
#include "KXDocumentLayerLockerForRead.h"
#include "KXDocumentLayerLockerForWrite.h"
#include "KXErrorReport.h"
#include "KXImageOps.h"
#include "KXPathsListModel.h"
#include "imagesizecommanddata.h"
#include "transformgeometry_p.h"
#include "vornwaitcursor_p.h"

namespace {

using Resampler = bool (*)(const KXImage32&, const QTransform&, KXImage32&, const QRect&);

Resampler ResamplerOf(int type)
{
    switch (type) {
    case ImageSizeCommandData::NearestNeighbourResample:
        return NearestNeighbourTransformImage;
    case ImageSizeCommandData::BilinearResample:
        return BilinearTransformImage;
    default:
        return BicubicTransformImage;
    }
}

// The image through the transform, sized by the mapped rectangle; false (no
// image) when that rectangle does not fit a document.
bool Resampled(const KXImage32& image, const QTransform& transform, Resampler resample, KXImage32& result)
{
    const QRect whole(0, 0, int(image.GetWidth()), int(image.GetHeight()));
    QSize checked;
    if (!TransformGeometry::ImageSize(transform.mapRect(QRectF(whole)), checked))
        return false;
    const QRect mapped = transform.mapRect(whole);
    result = KXImage32(unsigned(qMax(0, mapped.width())), unsigned(qMax(0, mapped.height())));
    resample(image, transform, result, QRect());
    return true;
}

// The transformed point, or false when it would leave the coordinate range.
bool Mapped(const QTransform& transform, const QPoint& point, QPoint& result)
{
    const QPointF exact = transform.map(QPointF(point));
    if (!TransformGeometry::IsPlaceable(QRectF(exact, QSizeF(0, 0))))
        return false;
    result = transform.map(point);
    return true;
}

// Truncated toward zero, within int.
int Resolution(double dpi)
{
    return dpi != dpi ? 0 : int(qBound(-2147483647.0, dpi, 2147483647.0));
}

} // namespace

ImageSizeCommand::ImageSizeCommand(KXDocumentInterface* document)
    : m_document(document)
{
}

ImageSizeCommand::~ImageSizeCommand() = default;

void ImageSizeCommand::Redo(const ImageSizeCommandData& data)
{
    m_document->SetDPI(Resolution(data.GetNewDPI()));
    if (!data.GetResample())
        return;
    m_document->SetSelectionMask(KXImage32(), QPoint(0, 0));
    const QTransform transform = data.GetRedoTransform();
    const Resampler resample = ResamplerOf(data.GetResampleType());
    // A transform from a zero old size is not finite: nothing can be scaled by it.
    const bool scalable = TransformGeometry::IsFinite(transform);
    for (unsigned int index = 0; scalable && index < data.GetLayersCount(); ++index) {
        KXImage32 saved;
        KXImage32 savedMask;
        QPoint offset;
        QPoint maskOffset;
        bool hasMask = false;
        if (!data.GetLayerData(index, saved, savedMask, offset, maskOffset, hasMask))
            continue;
        const unsigned int id = index + 1;
        KXImage32 result;
        KXDocumentLayerLockerForRead reading(m_document, id);
        const KXImage32* current = m_document->GetLayerImage(id);
        const bool scaled = current && Resampled(*current, transform, resample, result);
        reading.Unlock();
        QPoint position;
        if (scaled && Mapped(transform, offset, position)) {
            {
                KXDocumentLayerLockerForWrite writing(m_document, id);
                if (KXImage32* target = m_document->GetLayerImage(id))
                    *target = result;
            }
            m_document->SetLayerPosition(id, position);
        }
        if (!hasMask)
            continue;
        reading.Relock();
        const KXImage32* mask = m_document->GetLayerMask(id);
        const bool maskScaled = mask && Resampled(*mask, transform, resample, result);
        reading.Unlock();
        if (maskScaled && Mapped(transform, maskOffset, position)) {
            {
                KXDocumentLayerLockerForWrite writing(m_document, id);
                if (KXImage32* target = m_document->GetLayerMask(id))
                    *target = result;
            }
            m_document->SetMaskPos(id, position);
        }
    }
    if (KXPathsListModel* paths = m_document->GetPathListModel()) {
        for (unsigned int index = 0; scalable && index < data.GetPathCount(); ++index) {
            ImageSizeCommandData::Path path;
            if (!data.GetPath(index, path))
                continue;
            for (auto& subPath : path)
                TransformPath(subPath.first, transform);
            paths->SetPath(int(index), path);
        }
    }
    m_document->SetCanvasSize(data.GetNewSize());
}

void ImageSizeCommand::Undo(const ImageSizeCommandData& data)
{
    m_document->SetDPI(Resolution(data.GetOldDPI()));
    if (!data.GetResample())
        return;
    QPoint selectionOffset;
    const KXImage32 selection = data.GetSelection(selectionOffset);
    m_document->SetSelectionMask(selection, selectionOffset);
    for (unsigned int index = 0; index < data.GetLayersCount(); ++index) {
        KXImage32 saved;
        KXImage32 savedMask;
        QPoint offset;
        QPoint maskOffset;
        bool hasMask = false;
        if (!data.GetLayerData(index, saved, savedMask, offset, maskOffset, hasMask))
            continue;
        const unsigned int id = index + 1;
        {
            KXDocumentLayerLockerForWrite writing(m_document, id);
            if (KXImage32* target = m_document->GetLayerImage(id))
                *target = saved;
        }
        m_document->SetLayerPosition(id, offset);
        if (!hasMask)
            continue;
        {
            KXDocumentLayerLockerForWrite writing(m_document, id);
            if (KXImage32* target = m_document->GetLayerMask(id))
                *target = savedMask;
        }
        m_document->SetMaskPos(id, maskOffset);
    }
    if (KXPathsListModel* paths = m_document->GetPathListModel()) {
        for (unsigned int index = 0; index < data.GetPathCount(); ++index) {
            ImageSizeCommandData::Path path;
            if (data.GetPath(index, path))
                paths->SetPath(int(index), path);
        }
    }
    m_document->SetCanvasSize(data.GetOldSize());
}

void ImageSizeCommand::RedoExecute(VornCommandData* data)
{
    Execute(data, true);
}

void ImageSizeCommand::UndoExecute(VornCommandData* data)
{
    Execute(data, false);
}

// Redo and undo share their checks, their reports and the counter move.
void ImageSizeCommand::Execute(VornCommandData* data, bool redo)
{
    VornWaitCursor cursor;
    const ImageSizeCommandData* sizeData = imagesizecommanddata_cast(data);
    if (!sizeData || !m_document) {
        VORN_REPORT(QStringLiteral("Error input data."));
        return;
    }
    try {
        if (redo)
            Redo(*sizeData);
        else
            Undo(*sizeData);
    } catch (const std::exception& exception) {
        VORN_REPORT_EXCEPTION(exception);
        throw;
    } catch (...) {
        VORN_REPORT_UNKNOWN_EXCEPTION();
        throw;
    }
    if (!sizeData->GetResample())
        return;
    cursor.Restore();
    m_document->SetDocumentState(m_document->GetDocumentState() + (redo ? 1 : -1));
}

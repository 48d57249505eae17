#include "cropcommand.h"

#include <QMatrix4x4>
#include <QSize>

#include <cmath>
#include <new>

#include "KXDocumentInterface.h"
#include "KXDocumentLayerLockerForWrite.h"
#include "KXErrorReport.h"
#include "KXImageHelper.h"
#include "KXImageOps.h"
#include "KXPathsListModel.h"
#include "cropcommanddata.h"

namespace {

// What the crop does to every layer and mask.
struct Crop
{
    QTransform transform;
    QSize newSize = QSize(-1, -1);
    bool keepOutside = false;
    bool bicubic = false;
};

// A resampled layer or mask and where its top-left pixel goes.
struct Placed
{
    KXImage32 image;
    QPoint offset;
};

// Coordinates qRound can take (a damaged record could hold any transform).
bool Representable(double value)
{
    return value >= -1e9 && value <= 1e9;
}

// The part of a freshly resampled image inside rect. A rectangle that covers
// the image, or misses it, stands for the whole image, which is then handed
// on as it is: it shares its tiles with nothing, so a copy would only cost.
KXImage32 Part(KXImage32&& image, const QRect& rect)
{
    const QRect clip = rect & image.GetRect();
    if (clip.isEmpty() || clip == image.GetRect())
        return std::move(image);
    return image.Copy(rect);
}

// Carries an image placed at offset through the crop. A mask (maskFill set)
// is resampled over that fill and on whole pixels; a layer over transparent
// pixels at the exact position. False (reported) when the result would be
// larger than a document may be.
bool Resample(const KXImage32& source, const QPoint& offset, const Crop& crop, const KXRGBA32i* maskFill,
              Placed& result)
{
    const double width = source.GetWidth();
    const double height = source.GetHeight();
    const QRectF bounds = crop.transform.mapRect(QRectF(0, 0, width, height));
    const QRectF placed = crop.transform.mapRect(QRectF(offset.x(), offset.y(), width, height));
    const double epsilon = std::ldexp(1.0, -52);
    const double newWidth = std::trunc(bounds.width() + epsilon);
    const double newHeight = std::trunc(bounds.height() + epsilon);
    const double limit = KXDocumentInterface::MAX_DOC_DIMENSION;
    if (!(newWidth >= 0 && newWidth <= limit && newHeight >= 0 && newHeight <= limit)
        || !Representable(bounds.x()) || !Representable(bounds.y()) || !Representable(placed.x())
        || !Representable(placed.y())) {
        VORN_REPORT(QStringLiteral("Wrong crop size."));
        return false;
    }
    KXImage32 resampled;
    try {
        resampled = KXImage32(unsigned(newWidth), unsigned(newHeight));
    } catch (const std::bad_alloc&) {
        VORN_REPORT(QStringLiteral("Wrong crop size."));
        return false;
    }
    QTransform shift = QTransform::fromTranslate(-bounds.x(), -bounds.y());
    if (maskFill) {
        resampled.FastFill(*maskFill);
        shift = QTransform::fromTranslate(qRound(-bounds.x()), qRound(-bounds.y()));
    }
    const QTransform local = crop.transform * shift;
    if (crop.bicubic)
        BicubicTransformImage(source, local, resampled, QRect());
    else
        NearestNeighbourTransformImage(source, local, resampled, QRect());

    if (crop.keepOutside) {
        result.image = std::move(resampled);
        result.offset = QPoint(qRound(placed.x()), qRound(placed.y()));
        return true;
    }
    const QRectF inside = placed & QRectF(0, 0, crop.newSize.width(), crop.newSize.height());
    result.offset = QPoint(qRound(inside.x()), qRound(inside.y()));
    if (inside.width() <= 0 || inside.height() <= 0)
        result.image = KXImage32();
    else
        result.image = Part(std::move(resampled), QRect(qRound(inside.x() - placed.x()), qRound(inside.y() - placed.y()),
                                                        qRound(inside.width()), qRound(inside.height())));
    return true;
}

} // namespace

CropCommand::CropCommand(KXDocumentInterface* document)
    : m_document(document)
{
}

CropCommand::~CropCommand() = default;

const CropCommandData* CropCommand::CheckedData(VornCommandData* data) const
{
    const CropCommandData* cropData = cropcommanddata_cast(data);
    if (!cropData) {
        VORN_REPORT(QStringLiteral("Error to read data."));
        return nullptr;
    }
    if (!m_document) {
        VORN_REPORT(QStringLiteral("Error."));
        return nullptr;
    }
    return cropData;
}

void CropCommand::RedoExecute(VornCommandData* commandData)
{
    const CropCommandData* data = CheckedData(commandData);
    if (!data)
        return;
    Crop crop;
    if (!data->GetRedoData(crop.transform, crop.newSize, crop.keepOutside, crop.bicubic))
        VORN_REPORT(QStringLiteral("Internal error."));
    m_document->SetCanvasSize(crop.newSize);

    const QList<unsigned int> layers = data->GetIndexes();
    for (unsigned int layer : layers) {
        const QRect before = m_document->GetLayerGeometry(layer);
        KXDocumentLayerLockerForWrite locker(m_document, layer);
        const int type = m_document->GetLayerType(layer);
        if (type == KXDocumentInterface::TextLayer) {
            locker.Unlock();
            RedoText(*data, layer, crop.transform);
            locker.Relock();
        } else if (type == KXDocumentInterface::RasterLayer) {
            Placed placed;
            KXImage32* image = m_document->GetLayerImage(layer);
            if (image && Resample(*image, before.topLeft(), crop, nullptr, placed)) {
                *image = std::move(placed.image);
                locker.Unlock();
                m_document->SetLayerPosition(layer, placed.offset);
                locker.Relock();
            }
        }

        const bool maskImage = m_document->GetLayerMask(layer) != nullptr;
        locker.Unlock();
        const QRect maskRect = m_document->GetMaskGeometry(layer);
        if (maskImage && m_document->HasLayerMask(layer)) {
            locker.Relock();
            bool layerMask = true;
            m_document->GetMaskType(layer, layerMask);
            const KXRGBA32i fill = KXRGBA32i::FromValue(layerMask ? 0xFF000000u : 0u);
            Placed placed;
            KXImage32* mask = m_document->GetLayerMask(layer);
            if (mask && Resample(*mask, maskRect.topLeft(), crop, &fill, placed)) {
                *mask = std::move(placed.image);
                locker.Unlock();
                m_document->SetMaskPos(layer, placed.offset);
            }
            locker.Unlock();
        }
        m_document->UpdateLayer(layer);
    }

    QList<CropCommandData::Path> paths;
    KXPathsListModel* pathModel = m_document->GetPathListModel();
    if (pathModel && data->GetUndoPathList(paths)) {
        for (int i = 0; i < paths.size(); ++i) {
            for (auto& subPath : paths[i])
                TransformPath(subPath.first, crop.transform);
            pathModel->SetPath(i, paths[i]);
        }
    }
    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
    m_document->UpdateView(QRect(0, 0, -1, -1));
}

void CropCommand::RedoText(const CropCommandData& data, unsigned int layer, const QTransform& transform)
{
    QRect rect;
    QTransform textTransform;
    QTransform fullTransform;
    bool hasMask = false;
    QRect maskRect;
    KXImage32 mask;
    if (!data.GetUndoLayerData(layer, rect, textTransform, fullTransform, hasMask, maskRect, mask))
        return;
    // The new position comes from record values: it must be a position at all.
    const QRectF moved = transform.mapRect(QRectF(rect));
    if (!Representable(moved.left()) || !Representable(moved.top()) || !Representable(moved.right())
        || !Representable(moved.bottom())) {
        VORN_REPORT(QStringLiteral("Wrong crop size."));
        return;
    }
    KXImageHelper helper;
    helper.InitHelper(m_document, layer);
    helper.SetRenderMode(m_document->GetTextRenderMode(layer));
    QTransform resulting;
    helper.drawImage(m_document, layer, transform, resulting, false, false);
    m_document->SetTextTransform(layer, QMatrix4x4(textTransform.isIdentity() ? transform : resulting));
    m_document->SetLayerPosition(layer, transform.mapRect(rect).topLeft());
}

void CropCommand::UndoExecute(VornCommandData* commandData)
{
    const CropCommandData* data = CheckedData(commandData);
    if (!data)
        return;
    QSize canvas(-1, -1);
    data->GetUndoCanvasSize(canvas);
    m_document->SetCanvasSize(canvas);

    const QList<unsigned int> layers = data->GetIndexes();
    for (unsigned int layer : layers) {
        UndoRaster(*data, layer);
        UndoAdjustment(*data, layer);
        UndoText(*data, layer);
    }

    QList<CropCommandData::Path> paths;
    if (KXPathsListModel* pathModel = m_document->GetPathListModel()) {
        data->GetUndoPathList(paths);
        for (int i = 0; i < paths.size(); ++i)
            pathModel->SetPath(i, paths[i]);
    }
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
    m_document->UpdateView(QRect(0, 0, -1, -1));
}

void CropCommand::UndoRaster(const CropCommandData& data, unsigned int layer)
{
    QRect rect;
    KXImage32 image;
    bool hasMask = false;
    QRect maskRect;
    KXImage32 mask;
    if (m_document->GetLayerType(layer) != KXDocumentInterface::RasterLayer
        || !data.GetUndoLayerData(layer, rect, image, hasMask, maskRect, mask))
        return;
    KXDocumentLayerLockerForWrite locker(m_document, layer);
    if (KXImage32* target = m_document->GetLayerImage(layer))
        *target = image;
    if (hasMask) {
        if (KXImage32* target = m_document->GetLayerMask(layer))
            *target = mask;
        locker.Unlock();
        m_document->SetLayerAndMaskPosition(layer, rect.topLeft(), maskRect.topLeft());
    } else {
        locker.Unlock();
        m_document->SetLayerPosition(layer, rect.topLeft());
    }
    m_document->UpdateLayer(layer);
}

void CropCommand::UndoAdjustment(const CropCommandData& data, unsigned int layer)
{
    bool hasMask = false;
    QRect maskRect;
    KXImage32 mask;
    if (m_document->GetLayerType(layer) == KXDocumentInterface::AdjustmentLayer
        && data.GetUndoLayerData(layer, hasMask, maskRect, mask))
        RestoreMask(layer, hasMask, maskRect, mask);
}

void CropCommand::UndoText(const CropCommandData& data, unsigned int layer)
{
    QRect rect;
    QTransform textTransform;
    QTransform fullTransform;
    bool hasMask = false;
    QRect maskRect;
    KXImage32 mask;
    if (m_document->GetLayerType(layer) != KXDocumentInterface::TextLayer
        || !data.GetUndoLayerData(layer, rect, textTransform, fullTransform, hasMask, maskRect, mask))
        return;
    m_document->SetLayerPosition(layer, rect.topLeft());
    m_document->SetTextTransform(layer, QMatrix4x4(textTransform));
    KXImageHelper helper;
    helper.InitHelper(m_document, layer);
    helper.SetRenderMode(m_document->GetTextRenderMode(layer));
    QTransform resulting;
    helper.drawImage(m_document, layer, QTransform(), resulting, false, false);
    RestoreMask(layer, hasMask, maskRect, mask);
}

void CropCommand::RestoreMask(unsigned int layer, bool hasMask, const QRect& maskRect, const KXImage32& mask)
{
    KXDocumentLayerLockerForWrite locker(m_document, layer);
    if (!hasMask)
        return;
    if (KXImage32* target = m_document->GetLayerMask(layer))
        *target = mask;
    locker.Unlock();
    m_document->SetMaskPos(layer, maskRect.topLeft());
    m_document->UpdateLayer(layer);
}

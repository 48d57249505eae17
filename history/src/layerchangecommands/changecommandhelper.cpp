#include "changecommandhelper.h"

#include "KXDocumentInterface.h"
#include "KXDocumentLayerLockerForRead.h"
#include "KXImageHelper.h"
#include "KXPathsListModel.h"
#include "cropcommanddata.h"

QTransform ChangeCommandHelper::MakeFullTransform(KXDocumentInterface* document, unsigned int layer,
                                                  const QTransform& transform)
{
    const QTransform textTransform = document->GetTextTransform(layer).toTransform();
    if (textTransform.isIdentity())
        return transform;
    KXImageHelper helper;
    helper.InitHelper(document, layer);
    const QRect placed = textTransform.mapRect(helper.GetBaseRect());
    return textTransform * QTransform::fromTranslate(-placed.left(), -placed.top()) * transform;
}

bool ChangeCommandHelper::FillCropData(KXDocumentInterface* document, const QTransform& transform,
                                       const QSize& newSize, bool keepOutside, bool bicubic, CropCommandData& data)
{
    if (!document)
        return false;
    data.SetUndoCanvasSize(document->GetCanvasSize());
    data.SetRedoData(transform, newSize, keepOutside, bicubic);

    // The bottom layer (id 0) is never cropped.
    for (unsigned int layer = 1; layer < document->GetLayerCount(); ++layer) {
        KXDocumentLayerLockerForRead locker(document, layer);
        const bool hasMask = document->HasLayerMask(layer);
        const KXImage32* maskImage = document->GetLayerMask(layer);
        const KXImage32 mask = hasMask && maskImage ? *maskImage : KXImage32();
        const QRect maskRect = hasMask ? document->GetMaskGeometry(layer) : QRect();
        switch (document->GetLayerType(layer)) {
        case KXDocumentInterface::RasterLayer: {
            const KXImage32* image = document->GetLayerImage(layer);
            data.SetUndoLayerData(layer, document->GetLayerGeometry(layer), image ? *image : KXImage32(), hasMask,
                                  maskRect, mask);
            break;
        }
        case KXDocumentInterface::TextLayer:
            data.SetUndoLayerData(layer, document->GetLayerGeometry(layer),
                                  document->GetTextTransform(layer).toTransform(),
                                  hasMask ? QTransform() : MakeFullTransform(document, layer, transform), hasMask,
                                  maskRect, mask);
            break;
        case KXDocumentInterface::AdjustmentLayer:
            data.SetUndoLayerData(layer, hasMask, maskRect, mask);
            break;
        default:
            break;
        }
    }

    if (const KXPathsListModel* paths = document->GetPathListModel()) {
        QList<CropCommandData::Path> undoPaths;
        for (int row = 0; row < paths->rowCount(); ++row)
            undoPaths.append(paths->GetPath(row));
        data.SetUndoPathList(undoPaths);
    }
    return true;
}

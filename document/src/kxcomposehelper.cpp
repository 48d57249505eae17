#include "KXComposeHelper.h"

#include <algorithm>
#include <new>

#include "KXDocumentInterface.h"
#include "KXDocumentLayerLockerForRead.h"
#include "KXImageOps.h"

QPoint KXComposeHelper::ComposeLayers(KXImage32& image, const QList<unsigned int>& layers,
                                      KXDocumentInterface* document)
{
    image = KXImage32();
    if (!document)
        return QPoint();
    QList<unsigned int> ids;
    for (unsigned int id : layers)
        if (id < document->GetLayerCount() && !ids.contains(id))
            ids.append(id);
    std::sort(ids.begin(), ids.end());
    QRect bounds;
    for (unsigned int id : ids) {
        const int type = document->GetLayerType(id);
        if (type == KXDocumentInterface::RasterLayer || type == KXDocumentInterface::TextLayer)
            bounds |= document->GetLayerGeometry(id);
    }
    if (bounds.isEmpty())
        return QPoint();
    try {
        image = KXImage32(unsigned(bounds.width()), unsigned(bounds.height()));
    } catch (const std::bad_alloc&) {
        return QPoint();
    }
    for (unsigned int id : ids)
        BlendLayer(*document, id, image, bounds.topLeft());
    return bounds.topLeft();
}

KXImage32 KXComposeHelper::ComposeDocument(const KXDocumentInterface* document)
{
    if (!document)
        return KXImage32();
    const QSize canvas = document->GetCanvasSize();
    if (canvas.isEmpty())
        return KXImage32();
    KXImage32 image;
    try {
        image = KXImage32(unsigned(canvas.width()), unsigned(canvas.height()));
    } catch (const std::bad_alloc&) {
        return KXImage32();
    }
    for (unsigned int id = 0; id < document->GetLayerCount(); ++id)
        if (document->GetLayerVisible(id))
            BlendLayer(*document, id, image, QPoint());
    return image;
}

unsigned int KXComposeHelper::ToImageBlendMode(unsigned int layerMode)
{
    static const unsigned int modes[] = {KXBlendNormal,     KXBlendMultiply,   KXBlendScreen,     KXBlendOverlay,
                                         KXBlendDarken,     KXBlendLighten,    KXBlendColorDodge, KXBlendColorBurn,
                                         KXBlendHardLight,  KXBlendSoftLight,  KXBlendDifference, KXBlendExclusion,
                                         KXBlendLinearBurn};
    if (layerMode < sizeof(modes) / sizeof(modes[0]))
        return modes[layerMode];
    if (layerMode == KXDocumentInterface::BlendLinearDodge)
        return KXBlendLinearDodge;
    return KXBlendDefault;
}

void KXComposeHelper::BlendLayer(const KXDocumentInterface& document, unsigned int id, KXImage32& image,
                                 const QPoint& origin)
{
    KXDocumentLayerLockerForRead locker(&document, id);
    const double opacity = document.GetLayerOpacity(id);
    unsigned int mode = ToImageBlendMode(document.GetLayerBlendMode(id));
    const KXImage32* mask = document.HasLayerMask(id) && document.GetMaskEnabled(id) ? document.GetLayerMask(id)
                                                                                    : nullptr;
    bool maskType = false;
    document.GetMaskType(id, maskType);
    const QPoint maskPosition = document.GetMaskGeometry(id).topLeft();

    const KXImage32* source = nullptr;
    KXImage32 adjusted;
    QRect target;
    if (document.GetLayerType(id) == KXDocumentInterface::AdjustmentLayer) {
        ZTAdjustment* adjustment = nullptr;
        ZTAdjustmentTarget parameters;
        if (!document.GetLayerAdjustment(id, adjustment) || !document.GetAdjustmentTarget(id, parameters))
            return;
        adjusted = image;
        adjustment->Apply(parameters, adjusted);
        source = &adjusted;
        target = image.GetRect();
        // The adjusted pixels replace the originals by the opacity and the mask.
        if (mode == KXBlendNormal)
            mode = KXBlendReplace;
    } else {
        source = document.GetLayerImage(id);
        if (!source || source->IsEmpty())
            return;
        target = document.GetLayerGeometry(id).translated(-origin);
    }
    if (mask) {
        // The mask's own rectangle, in the coordinates of the image composed into.
        const QRect maskRect(maskPosition - origin, mask->GetSize());
        BlendMaskOn(*source, source->GetRect(), mode, image, target, opacity, *mask, maskRect, maskType, false);
    } else {
        BlendOn(*source, source->GetRect(), mode, image, target, opacity, false);
    }
}

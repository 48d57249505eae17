#include "layermaskcreatecommanddata.h"

#include "KXImageOps.h"

LayerMaskCreateCommandData::LayerMaskCreateCommandData(MaskType kind, const KXImage32& source, bool maskType)
{
    Record& record = EditRecord();
    record.mask = BuildMask(kind, source);
    record.maskType = maskType;
}

LayerMaskCreateCommandData::LayerMaskCreateCommandData(MaskType, const QSize&, bool maskType)
{
    EditRecord().maskType = maskType;
}

KXImage32 LayerMaskCreateCommandData::BuildMask(MaskType kind, const KXImage32& source)
{
    KXImage32 mask;
    switch (kind) {
    case FromImage:
    case FromSelection:
        mask = source;
        break;
    case RevealAll:
        CreateRevealAllMask(mask, source);
        break;
    case HideAll:
        CreateHideAllMask(mask, source);
        break;
    case FromTransparency:
        CreateFromTransparancyMask(mask, source);
        break;
    case FromSource:
        CreateFromSourceMask(mask, source);
        break;
    case FromInvertedSelection:
        mask = source;
        InvertImage(mask, KXInvertLayerMask);
        break;
    }
    return mask;
}

LayerMaskCreateCommandData* LayerMaskCreateCommanddata_cast(VornCommandData* data)
{
    return VornDataCast<LayerMaskCreateCommandData>(data);
}

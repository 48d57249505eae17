#pragma once

#include <QSize>
#include <QTransform>

#include "vornhistory_export.h"

class CropCommandData;
class KXDocumentInterface;

// Static functions that read what a composite edit needs from a document
// and build its commands' data.
class VORNHISTORY_EXPORT ChangeCommandHelper
{
public:
    ChangeCommandHelper() = delete;

    // The placement a text layer gets from the crop transform: its own text
    // transform, moved so that its rendering's mapped rectangle starts at the
    // origin, then the crop transform. The crop transform itself when the
    // layer has no text transform.
    static QTransform MakeFullTransform(KXDocumentInterface* document, unsigned int layer,
                                        const QTransform& transform);

    // Fills a crop's data from the document: the canvas size, the crop
    // (transform, new size, flags), a copy of every layer above the bottom
    // one (pixels, rectangle, text placement, mask; each read under the
    // layer's read lock) and of every path. False, data untouched, without a
    // document.
    static bool FillCropData(KXDocumentInterface* document, const QTransform& transform, const QSize& newSize,
                             bool keepOutside, bool bicubic, CropCommandData& data);
};

#pragma once

#include <QList>
#include <QPoint>

#include "KXImage.h"
#include "vorndocument_export.h"

class KXDocumentInterface;

// Composes layers with their blend modes, opacities and enabled masks through
// the image library (BlendOn, BlendMaskOn). Raster and text layers are drawn
// at their rectangles; an adjustment layer changes what lies below it in the
// image being composed, mixed in by its opacity and mask. Each layer is read
// under its read lock. Layer styles are not rendered.
// Stateless; the document and the image are the caller's. Call it on the
// document's thread (it reads layer properties as well as pixels).
class VORNDOCUMENT_EXPORT KXComposeHelper
{
public:
    // Composes the listed layers, bottom first whatever the order of the list
    // (ids out of range and repeats are skipped; visibility is not consulted),
    // into image, which becomes the size of the union of their rectangles.
    // Returns that union's top-left: where the image sits in the document.
    // With nothing to compose (no document, no layer with pixels) the image
    // becomes empty and (0, 0) is returned.
    static QPoint ComposeLayers(KXImage32& image, const QList<unsigned int>& layers, KXDocumentInterface* document);
    // Every visible layer over a transparent image of the canvas size (empty
    // when the canvas is empty or too large for one image).
    static KXImage32 ComposeDocument(const KXDocumentInterface* document);
    // The image library's blend mode for a layer blend mode code (see
    // KXDocumentInterface::LayerBlendMode); KXBlendDefault for unknown codes.
    static unsigned int ToImageBlendMode(unsigned int layerMode);

private:
    static void BlendLayer(const KXDocumentInterface& document, unsigned int id, KXImage32& image,
                           const QPoint& origin);
};

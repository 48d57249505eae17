#pragma once

#include <QPoint>
#include <QRect>
#include <QTransform>

#include "KXImage.h"
#include "KXTextHelper.h"
#include "vorndocument_export.h"

class KXDocumentInterface;

// Renders a text layer into its layer image. The text is rendered by
// KXTextHelper at the layer's text position (the base image, whose document
// rectangle is GetBaseRect()), then placed by the layer's text transform and
// the transform given to drawImage, both document-space transforms:
// placement = text transform * transform (Qt's order: the text transform
// first). An integer translation moves the base image without resampling;
// anything else resamples it by the render mode.
//
// Typical use, after changing a text layer's attributes:
//     KXImageHelper helper;
//     helper.InitHelper(document, id);
//     helper.SetRenderMode(document->GetTextRenderMode(id));
//     QTransform placement;
//     helper.drawImage(document, id, QTransform(), placement, false, false);
//
// drawImage sets the layer image and position (which lock the layer
// internally), so call it without holding that layer's locks.
//
// Owns its rendered base image; points at the document given to InitHelper
// or drawImage without owning it. Use it on the document's thread.
class VORNDOCUMENT_EXPORT KXImageHelper
{
public:
    KXImageHelper();
    ~KXImageHelper();
    KXImageHelper(const KXImageHelper&) = delete;
    KXImageHelper& operator=(const KXImageHelper&) = delete;

    // Reads the text attributes and render mode of a text layer; false (and
    // nothing to render) for a null document or a layer that is not text.
    bool InitHelper(KXDocumentInterface* document, unsigned int layer);
    // 0 nearest neighbour, 1 bilinear, other values bicubic.
    void SetRenderMode(int mode);
    int GetRenderMode() const;
    // Characters drawn highlighted when drawImage is asked to show the selection.
    void SetSelection(int start, int length);

    // The base image's rectangle in the document (null before InitHelper or for an empty text).
    QRect GetBaseRect() const;
    // The base image: the text rendered untransformed.
    KXImage32 GetBaseImage() const;

    // Renders the layer (re-initialising the helper when the document or the
    // layer differ from InitHelper's) with placement = text transform *
    // transform, which it returns in resulting. With showSelection the
    // selected characters are highlighted. With measureOnly only resulting is
    // computed and the layer is left alone. Otherwise the layer's image and
    // position become the placed rendering and layerChanged is sent. False
    // for a null document or a layer that is not text.
    bool drawImage(KXDocumentInterface* document, unsigned int layer, const QTransform& transform,
                   QTransform& resulting, bool showSelection, bool measureOnly);

private:
    void Render(bool showSelection) const;

    KXTextHelper m_text;
    KXDocumentInterface* m_document = nullptr;
    unsigned int m_layer = 0;
    bool m_ready = false;
    int m_renderMode = 1;
    int m_selectionStart = 0;
    int m_selectionLength = -1;
    QPoint m_textPosition;
    mutable bool m_rendered = false;
    mutable bool m_renderedSelection = false;
    mutable KXImage32 m_base;
    mutable QPoint m_baseOffset;
};

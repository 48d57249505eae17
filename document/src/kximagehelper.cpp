#include "KXImageHelper.h"

#include <cmath>
#include <new>

#include "KXDocumentInterface.h"
#include "KXImageOps.h"

namespace {

bool IsIntegerTranslation(const QTransform& transform)
{
    return transform.type() <= QTransform::TxTranslate && transform.dx() == std::floor(transform.dx())
        && transform.dy() == std::floor(transform.dy());
}

// Resamples the image through the transform into a new image covering its
// mapped bounds; position receives the new image's top-left.
KXImage32 Place(const KXImage32& image, const QTransform& transform, int renderMode, QPoint& position)
{
    const QRectF bounds = transform.mapRect(QRectF(image.GetRect()));
    const double tolerance = 1e-9;
    const double left = std::floor(bounds.left() + tolerance);
    const double top = std::floor(bounds.top() + tolerance);
    const double width = std::ceil(bounds.right() - tolerance) - left;
    const double height = std::ceil(bounds.bottom() - tolerance) - top;
    position = QPoint(int(left), int(top));
    if (!(width >= 1 && height >= 1) || width > KXDocumentInterface::MAX_DOC_DIMENSION
        || height > KXDocumentInterface::MAX_DOC_DIMENSION)
        return KXImage32();
    KXImage32 placed;
    try {
        placed = KXImage32(unsigned(width), unsigned(height));
    } catch (const std::bad_alloc&) {
        return KXImage32();
    }
    const QTransform local = transform * QTransform::fromTranslate(-left, -top);
    if (renderMode == 0)
        NearestNeighbourTransformImage(image, local, placed, QRect());
    else if (renderMode == 1)
        BilinearTransformImage(image, local, placed, QRect());
    else
        BicubicTransformImage(image, local, placed, QRect());
    return placed;
}

} // namespace

KXImageHelper::KXImageHelper()
    : m_text(2.0)
{
}

KXImageHelper::~KXImageHelper() = default;

bool KXImageHelper::InitHelper(KXDocumentInterface* document, unsigned int layer)
{
    m_document = document;
    m_layer = layer;
    m_rendered = false;
    m_ready = document && document->GetLayerType(layer) == KXDocumentInterface::TextLayer;
    if (!m_ready)
        return false;
    m_text.SetText(document->GetText(layer));
    m_text.SetFont(document->GetTextFont(layer));
    m_text.SetColor(document->GetTextBrush(layer).color());
    m_text.SetStyle(document->GetTextStyle(layer));
    m_text.SetOrientation(document->GetTextOrientation(layer));
    m_text.SetBend(document->GetTextBend(layer));
    m_text.SetHDistortion(document->GetTextHDistortion(layer));
    m_text.SetVDistortion(document->GetTextVDistortion(layer));
    m_textPosition = document->GetTextPosition(layer);
    m_renderMode = document->GetTextRenderMode(layer);
    return true;
}

void KXImageHelper::SetRenderMode(int mode)
{
    m_renderMode = mode;
}

int KXImageHelper::GetRenderMode() const
{
    return m_renderMode;
}

void KXImageHelper::SetSelection(int start, int length)
{
    m_selectionStart = start;
    m_selectionLength = length;
    m_rendered = false;
}

QRect KXImageHelper::GetBaseRect() const
{
    if (!m_ready)
        return QRect();
    if (!m_rendered)
        Render(false);
    if (m_base.IsEmpty())
        return QRect();
    return QRect(m_textPosition + m_baseOffset, m_base.GetSize());
}

KXImage32 KXImageHelper::GetBaseImage() const
{
    if (!m_ready)
        return KXImage32();
    if (!m_rendered)
        Render(false);
    return m_base;
}

bool KXImageHelper::drawImage(KXDocumentInterface* document, unsigned int layer, const QTransform& transform,
                              QTransform& resulting, bool showSelection, bool measureOnly)
{
    if ((!m_ready || document != m_document || layer != m_layer) && !InitHelper(document, layer))
        return false;
    resulting = document->GetTextTransform(layer).toTransform() * transform;
    if (measureOnly)
        return true;
    if (!m_rendered || m_renderedSelection != showSelection)
        Render(showSelection);
    const QPoint baseTopLeft = m_textPosition + m_baseOffset;
    const QTransform placement = QTransform::fromTranslate(baseTopLeft.x(), baseTopLeft.y()) * resulting;
    KXImage32 image;
    QPoint position = baseTopLeft;
    if (!m_base.IsEmpty()) {
        if (IsIntegerTranslation(placement)) {
            image = m_base;
            position = QPoint(int(placement.dx()), int(placement.dy()));
        } else {
            image = Place(m_base, placement, m_renderMode, position);
        }
    }
    document->SetLayerImage(layer, image);
    document->SetLayerPosition(layer, position);
    document->UpdateLayer(layer);
    return true;
}

void KXImageHelper::Render(bool showSelection) const
{
    m_baseOffset = QPoint();
    m_base = m_text.CreateImageByTextWithSelectionAndDeformation(m_baseOffset, showSelection ? m_selectionStart : 0,
                                                                 showSelection ? m_selectionLength : -1);
    m_rendered = true;
    m_renderedSelection = showSelection;
}

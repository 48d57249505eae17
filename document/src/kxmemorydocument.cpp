#include "KXMemoryDocument.h"

#include <QMutexLocker>
#include <QTransform>

#include <new>

#include "KXChannelModel.h"
#include "KXComposeHelper.h"
#include "KXImageHelper.h"
#include "ZTAdjustmentManager.h"
#include "kxmemorylayer.h"

namespace {

bool IsValidCanvasSize(const QSize& size)
{
    return size.width() >= 0 && size.height() >= 0 && size.width() <= KXDocumentInterface::MAX_DOC_DIMENSION
        && size.height() <= KXDocumentInterface::MAX_DOC_DIMENSION;
}

} // namespace

KXMemoryDocument::KXMemoryDocument(const QSize& canvasSize, QObject* parent)
    : KXDocumentInterface(parent)
    , m_canvasSize(IsValidCanvasSize(canvasSize) ? canvasSize : QSize(0, 0))
    , m_channels(new KXChannelModel(this))
{
}

KXMemoryDocument::~KXMemoryDocument() = default;

// --- Building

unsigned int KXMemoryDocument::AddRasterLayer(const QString& name, const KXImage32& image, const QPoint& position)
{
    auto layer = LayerPointer::create(RasterLayer, name);
    layer->image = image;
    layer->position = position;
    return Append(layer);
}

unsigned int KXMemoryDocument::AddTextLayer(const QString& name, const QString& text, const QFont& font,
                                            const QColor& color, const QPoint& position)
{
    auto layer = LayerPointer::create(TextLayer, name);
    layer->text.text = text;
    layer->text.font = font;
    layer->text.brush = QBrush(color);
    layer->text.position = position;
    const unsigned int id = Append(layer);
    if (id == InvalidId)
        return id;
    KXImageHelper helper;
    QTransform placement;
    helper.drawImage(this, id, QTransform(), placement, false, false);
    return id;
}

unsigned int KXMemoryDocument::AddAdjustmentLayer(const QString& name, const QString& adjustmentName)
{
    ZTAdjustmentManager* manager = ZTAdjustmentManager::GetInstance();
    ZTAdjustment* adjustment = manager ? manager->GetAdjustment(adjustmentName) : nullptr;
    if (!adjustment)
        return InvalidId;
    auto layer = LayerPointer::create(AdjustmentLayer, name);
    layer->adjustment = adjustment;
    layer->target = ZTAdjustmentTarget::Create();
    return Append(layer);
}

void KXMemoryDocument::SetCurrentLayer(unsigned int id)
{
    m_current = Find(id);
}

int KXMemoryDocument::GetCurrentLayer() const
{
    QMutexLocker locker(&m_layersLock);
    for (int i = 0; i < m_layers.size(); ++i)
        if (m_layers.at(i).data() == m_current)
            return i;
    return -1;
}

KXImage32 KXMemoryDocument::Compose() const
{
    return KXComposeHelper::ComposeDocument(this);
}

// --- Document

unsigned int KXMemoryDocument::GetLayerCount() const
{
    QMutexLocker locker(&m_layersLock);
    return unsigned(m_layers.size());
}

QSize KXMemoryDocument::GetCanvasSize() const
{
    return m_canvasSize;
}

bool KXMemoryDocument::SetCanvasSize(const QSize& size)
{
    if (!IsValidCanvasSize(size))
        return false;
    if (size != m_canvasSize) {
        m_canvasSize = size;
        emit canvasSizeChanged(size);
    }
    return true;
}

int KXMemoryDocument::GetDocumentKind() const
{
    return 0;
}

void KXMemoryDocument::UpdateView(const QRect& rect)
{
    emit viewUpdateRequested(rect);
}

// --- Layer list

int KXMemoryDocument::GetLayerType(unsigned int id) const
{
    const KXMemoryLayer* layer = Find(id);
    return layer ? layer->type : -1;
}

bool KXMemoryDocument::CreateRasterLayer(const QString& name, unsigned int id)
{
    return Insert(id, LayerPointer::create(RasterLayer, name));
}

bool KXMemoryDocument::CreateTextLayer(const QString& name, unsigned int id)
{
    return Insert(id, LayerPointer::create(TextLayer, name));
}

bool KXMemoryDocument::CreateAdjustmentLayer(const QString& name, unsigned int id, ZTAdjustment* adjustment)
{
    if (!adjustment)
        return false;
    auto layer = LayerPointer::create(AdjustmentLayer, name);
    layer->adjustment = adjustment;
    layer->target = ZTAdjustmentTarget::Create();
    return Insert(id, layer);
}

bool KXMemoryDocument::InsertRasterLayer(const QString& name, const KXImage32& image, const QPoint& position,
                                         unsigned int blendMode, double opacity, unsigned int id)
{
    auto layer = LayerPointer::create(RasterLayer, name);
    layer->image = image;
    layer->position = position;
    layer->blendMode = blendMode;
    layer->opacity = opacity;
    return Insert(id, layer);
}

bool KXMemoryDocument::RemoveLayer(unsigned int id)
{
    if (id >= GetLayerCount())
        return false;
    emit layerAboutToBeRemoved(id);
    const LayerPointer removed = m_layers.at(int(id));
    // Waits for readers of other threads (without holding the list's mutex,
    // which their reads need) before the layer leaves the list.
    removed->lock->LockForWrite();
    {
        QMutexLocker locker(&m_layersLock);
        m_layers.removeAt(int(id));
    }
    removed->lock->UnlockWrite();
    if (m_current == removed.data())
        m_current = nullptr;
    emit layerRemoved(id);
    return true;
}

bool KXMemoryDocument::SetLayerSequence(const QList<unsigned int>& sequence)
{
    const unsigned int count = GetLayerCount();
    if (unsigned(sequence.size()) != count)
        return false;
    QVector<bool> seen(int(count), false);
    for (unsigned int old : sequence) {
        if (old >= count || seen.at(int(old)))
            return false;
        seen[int(old)] = true;
    }
    emit layersAboutToBeReordered(sequence);
    {
        QMutexLocker locker(&m_layersLock);
        QVector<LayerPointer> reordered;
        reordered.reserve(int(count));
        for (unsigned int old : sequence)
            reordered.append(m_layers.at(int(old)));
        m_layers.swap(reordered);
    }
    emit layersReordered(sequence);
    return true;
}

bool KXMemoryDocument::ConvertTextLayerToRaster(unsigned int id)
{
    if (!Edit(id, [](KXMemoryLayer& layer) {
            if (layer.type != TextLayer)
                return false;
            layer.type = RasterLayer;
            layer.text = KXMemoryLayer::Text();
            return true;
        }))
        return false;
    emit layerPropertiesChanged(id);
    return true;
}

// --- Layer properties

QString KXMemoryDocument::GetLayerName(unsigned int id) const
{
    const KXMemoryLayer* layer = Find(id);
    return layer ? layer->name : QString();
}

void KXMemoryDocument::SetLayerName(unsigned int id, const QString& name)
{
    SetProperty(id, &KXMemoryLayer::name, name);
}

double KXMemoryDocument::GetLayerOpacity(unsigned int id) const
{
    const KXMemoryLayer* layer = Find(id);
    return layer ? layer->opacity : 0.0;
}

void KXMemoryDocument::SetLayerOpacity(unsigned int id, double opacity)
{
    SetProperty(id, &KXMemoryLayer::opacity, opacity);
}

unsigned int KXMemoryDocument::GetLayerBlendMode(unsigned int id) const
{
    const KXMemoryLayer* layer = Find(id);
    return layer ? layer->blendMode : unsigned(BlendNormal);
}

void KXMemoryDocument::SetLayerBlendMode(unsigned int id, unsigned int mode)
{
    SetProperty(id, &KXMemoryLayer::blendMode, mode);
}

bool KXMemoryDocument::GetLayerVisible(unsigned int id) const
{
    const KXMemoryLayer* layer = Find(id);
    return layer && layer->visible;
}

void KXMemoryDocument::SetLayerVisible(unsigned int id, bool visible)
{
    SetProperty(id, &KXMemoryLayer::visible, visible);
}

unsigned int KXMemoryDocument::GetLayerLocks(unsigned int id) const
{
    const KXMemoryLayer* layer = Find(id);
    return layer ? layer->locks : 0;
}

void KXMemoryDocument::SetLayerLocks(unsigned int id, unsigned int locks)
{
    SetProperty(id, &KXMemoryLayer::locks, locks);
}

// --- Geometry

QRect KXMemoryDocument::GetLayerGeometry(unsigned int id) const
{
    const KXMemoryLayer* layer = Find(id);
    return layer ? QRect(layer->position, layer->image.GetSize()) : QRect();
}

QRect KXMemoryDocument::GetMaskGeometry(unsigned int id) const
{
    const KXMemoryLayer* layer = Find(id);
    return layer ? QRect(layer->maskPosition, layer->mask.GetSize()) : QRect();
}

void KXMemoryDocument::SetLayerPosition(unsigned int id, const QPoint& position)
{
    SetPositions(id, &position, nullptr, false);
}

void KXMemoryDocument::SetMaskPos(unsigned int id, const QPoint& position)
{
    SetPositions(id, nullptr, &position, false);
}

void KXMemoryDocument::MoveLayer(unsigned int id, const QPoint& delta)
{
    SetPositions(id, &delta, nullptr, true);
}

void KXMemoryDocument::MoveMask(unsigned int id, const QPoint& delta)
{
    SetPositions(id, nullptr, &delta, true);
}

void KXMemoryDocument::SetLayerAndMaskPosition(unsigned int id, const QPoint& layerPosition,
                                               const QPoint& maskPosition)
{
    SetPositions(id, &layerPosition, &maskPosition, false);
}

void KXMemoryDocument::MoveLayerAndMask(unsigned int id, const QPoint& layerDelta, const QPoint& maskDelta)
{
    SetPositions(id, &layerDelta, &maskDelta, true);
}

// --- Pixels

KXImage32* KXMemoryDocument::GetLayerImage(unsigned int id)
{
    KXMemoryLayer* layer = Find(id);
    return layer && layer->HasPixels() ? &layer->image : nullptr;
}

const KXImage32* KXMemoryDocument::GetLayerImage(unsigned int id) const
{
    const KXMemoryLayer* layer = Find(id);
    return layer && layer->HasPixels() ? &layer->image : nullptr;
}

bool KXMemoryDocument::SetLayerImage(unsigned int id, const KXImage32& image)
{
    if (!Edit(id, [&image](KXMemoryLayer& layer) {
            if (!layer.HasPixels())
                return false;
            layer.image = image;
            return true;
        }))
        return false;
    emit layerChanged(id);
    return true;
}

void KXMemoryDocument::UpdateLayer(unsigned int id)
{
    if (Find(id))
        emit layerChanged(id);
}

// --- Mask

bool KXMemoryDocument::HasLayerMask(unsigned int id) const
{
    const KXMemoryLayer* layer = Find(id);
    return layer && layer->hasMask;
}

KXImage32* KXMemoryDocument::GetLayerMask(unsigned int id)
{
    KXMemoryLayer* layer = Find(id);
    return layer && layer->hasMask ? &layer->mask : nullptr;
}

const KXImage32* KXMemoryDocument::GetLayerMask(unsigned int id) const
{
    const KXMemoryLayer* layer = Find(id);
    return layer && layer->hasMask ? &layer->mask : nullptr;
}

bool KXMemoryDocument::GetMaskImage(unsigned int id, KXImage32& mask) const
{
    const KXMemoryLayer* layer = Find(id);
    if (!layer || !layer->hasMask) {
        mask = KXImage32();
        return false;
    }
    mask = layer->mask;
    return true;
}

bool KXMemoryDocument::CreateLayerMask(unsigned int id, const KXImage32& mask, bool maskType)
{
    if (mask.IsEmpty()
        || !Edit(id, [&](KXMemoryLayer& layer) {
               layer.hasMask = true;
               layer.mask = mask;
               layer.maskType = maskType;
               return true;
           }))
        return false;
    emit layerMaskChanged(id);
    return true;
}

bool KXMemoryDocument::SetLayerMask(unsigned int id, const KXImage32& mask)
{
    if (mask.IsEmpty()
        || !Edit(id, [&mask](KXMemoryLayer& layer) {
               if (!layer.hasMask)
                   return false;
               layer.mask = mask;
               return true;
           }))
        return false;
    emit layerMaskChanged(id);
    return true;
}

bool KXMemoryDocument::RemoveLayerMask(unsigned int id)
{
    if (!Edit(id, [](KXMemoryLayer& layer) {
            if (!layer.hasMask)
                return false;
            layer.hasMask = false;
            layer.mask = KXImage32();
            return true;
        }))
        return false;
    emit layerMaskChanged(id);
    return true;
}

bool KXMemoryDocument::GetMaskEnabled(unsigned int id) const
{
    const KXMemoryLayer* layer = Find(id);
    return layer && layer->maskEnabled;
}

void KXMemoryDocument::SetMaskEnabled(unsigned int id, bool enabled)
{
    if (Edit(id, [enabled](KXMemoryLayer& layer) {
            return layer.maskEnabled != enabled ? (layer.maskEnabled = enabled, true) : false;
        }))
        emit layerMaskChanged(id);
}

bool KXMemoryDocument::GetMaskLinked(unsigned int id) const
{
    const KXMemoryLayer* layer = Find(id);
    return layer && layer->maskLinked;
}

void KXMemoryDocument::SetMaskLinked(unsigned int id, bool linked)
{
    if (Edit(id, [linked](KXMemoryLayer& layer) {
            return layer.maskLinked != linked ? (layer.maskLinked = linked, true) : false;
        }))
        emit layerMaskChanged(id);
}

bool KXMemoryDocument::GetMaskType(unsigned int id, bool& maskType) const
{
    const KXMemoryLayer* layer = Find(id);
    if (!layer)
        return false;
    maskType = layer->hasMask && layer->maskType;
    return layer->hasMask;
}

void KXMemoryDocument::SetMaskType(unsigned int id, bool maskType)
{
    if (Edit(id, [maskType](KXMemoryLayer& layer) {
            return layer.maskType != maskType ? (layer.maskType = maskType, true) : false;
        }))
        emit layerMaskChanged(id);
}

void KXMemoryDocument::UpdateLayerMask(unsigned int id)
{
    if (Find(id))
        emit layerMaskChanged(id);
}

// A text attribute of a text layer; the attribute's default for any other id.
template <class Value, class Field>
Value KXMemoryDocument::TextAttribute(unsigned int id, Field field) const
{
    const KXMemoryLayer* layer = FindText(id);
    return layer ? layer->text.*field : KXMemoryLayer::Text().*field;
}

// --- Text attributes

QString KXMemoryDocument::GetText(unsigned int id) const
{
    return TextAttribute<QString>(id, &KXMemoryLayer::Text::text);
}

void KXMemoryDocument::SetText(unsigned int id, const QString& text)
{
    SetTextAttribute(id, &KXMemoryLayer::Text::text, text);
}

QFont KXMemoryDocument::GetTextFont(unsigned int id) const
{
    return TextAttribute<QFont>(id, &KXMemoryLayer::Text::font);
}

void KXMemoryDocument::SetTextFont(unsigned int id, const QFont& font)
{
    SetTextAttribute(id, &KXMemoryLayer::Text::font, font);
}

QBrush KXMemoryDocument::GetTextBrush(unsigned int id) const
{
    return TextAttribute<QBrush>(id, &KXMemoryLayer::Text::brush);
}

void KXMemoryDocument::SetTextBrush(unsigned int id, const QBrush& brush)
{
    SetTextAttribute(id, &KXMemoryLayer::Text::brush, brush);
}

QPoint KXMemoryDocument::GetTextPosition(unsigned int id) const
{
    return TextAttribute<QPoint>(id, &KXMemoryLayer::Text::position);
}

void KXMemoryDocument::SetTextPosition(unsigned int id, const QPoint& position)
{
    SetTextAttribute(id, &KXMemoryLayer::Text::position, position);
}

int KXMemoryDocument::GetTextStyle(unsigned int id) const
{
    return TextAttribute<int>(id, &KXMemoryLayer::Text::style);
}

void KXMemoryDocument::SetTextStyle(unsigned int id, int style)
{
    SetTextAttribute(id, &KXMemoryLayer::Text::style, style);
}

bool KXMemoryDocument::GetTextOrientation(unsigned int id) const
{
    return TextAttribute<bool>(id, &KXMemoryLayer::Text::vertical);
}

void KXMemoryDocument::SetTextOrientation(unsigned int id, bool vertical)
{
    SetTextAttribute(id, &KXMemoryLayer::Text::vertical, vertical);
}

double KXMemoryDocument::GetTextBend(unsigned int id) const
{
    return TextAttribute<double>(id, &KXMemoryLayer::Text::bend);
}

void KXMemoryDocument::SetTextBend(unsigned int id, double bend)
{
    SetTextAttribute(id, &KXMemoryLayer::Text::bend, bend);
}

double KXMemoryDocument::GetTextHDistortion(unsigned int id) const
{
    return TextAttribute<double>(id, &KXMemoryLayer::Text::hDistortion);
}

void KXMemoryDocument::SetTextHDistortion(unsigned int id, double distortion)
{
    SetTextAttribute(id, &KXMemoryLayer::Text::hDistortion, distortion);
}

double KXMemoryDocument::GetTextVDistortion(unsigned int id) const
{
    return TextAttribute<double>(id, &KXMemoryLayer::Text::vDistortion);
}

void KXMemoryDocument::SetTextVDistortion(unsigned int id, double distortion)
{
    SetTextAttribute(id, &KXMemoryLayer::Text::vDistortion, distortion);
}

QMatrix4x4 KXMemoryDocument::GetTextTransform(unsigned int id) const
{
    return TextAttribute<QMatrix4x4>(id, &KXMemoryLayer::Text::transform);
}

void KXMemoryDocument::SetTextTransform(unsigned int id, const QMatrix4x4& transform)
{
    SetTextAttribute(id, &KXMemoryLayer::Text::transform, transform);
}

int KXMemoryDocument::GetTextRenderMode(unsigned int id) const
{
    return TextAttribute<int>(id, &KXMemoryLayer::Text::renderMode);
}

void KXMemoryDocument::SetTextRenderMode(unsigned int id, int mode)
{
    SetTextAttribute(id, &KXMemoryLayer::Text::renderMode, mode);
}

// --- Adjustments

bool KXMemoryDocument::GetLayerAdjustment(unsigned int id, ZTAdjustment*& adjustment) const
{
    const KXMemoryLayer* layer = Find(id);
    if (!layer || layer->type != AdjustmentLayer)
        return false;
    adjustment = layer->adjustment;
    return true;
}

bool KXMemoryDocument::GetAdjustmentTarget(unsigned int id, ZTAdjustmentTarget& target) const
{
    const KXMemoryLayer* layer = Find(id);
    if (!layer || layer->type != AdjustmentLayer)
        return false;
    target = layer->target;
    return true;
}

// --- Alpha channels

bool KXMemoryDocument::CreateAlphaChannel(const QString& name, unsigned int id)
{
    if (id > m_channels->GetAlphaChannelCount())
        return false;
    KXImage32 channel;
    try {
        channel = KXImage32(unsigned(m_canvasSize.width()), unsigned(m_canvasSize.height()));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return m_channels->InsertAlphaChannel(id, name, channel, QPoint());
}

bool KXMemoryDocument::CreateAlphaChannelFromMask(const QString& name, const KXImage32& mask, unsigned int id)
{
    if (mask.IsEmpty())
        return false;
    return m_channels->InsertAlphaChannel(id, name, mask, QPoint());
}

bool KXMemoryDocument::DeleteAlphaChannel(unsigned int id)
{
    return m_channels->RemoveAlphaChannel(id);
}

bool KXMemoryDocument::SetChannelOffset(unsigned int id, const QPoint& offset)
{
    if (!m_channels->SetAlphaChannelOffset(id, offset))
        return false;
    emit channelChanged(id);
    return true;
}

KXChannelModel* KXMemoryDocument::GetChannelModel() const
{
    return m_channels;
}

// --- Style and locks

KXStyleProxy* KXMemoryDocument::GetStyleProxy() const
{
    return m_current ? &m_current->style : nullptr;
}

QSharedPointer<KXDocumentLock> KXMemoryDocument::GetLayerLock(unsigned int id) const
{
    const KXMemoryLayer* layer = Find(id);
    return layer ? layer->lock : QSharedPointer<KXDocumentLock>();
}

// --- Private

KXMemoryLayer* KXMemoryDocument::Find(unsigned int id) const
{
    QMutexLocker locker(&m_layersLock);
    return id < unsigned(m_layers.size()) ? m_layers.at(int(id)).data() : nullptr;
}

KXMemoryLayer* KXMemoryDocument::FindText(unsigned int id) const
{
    KXMemoryLayer* layer = Find(id);
    return layer && layer->type == TextLayer ? layer : nullptr;
}

bool KXMemoryDocument::Insert(unsigned int id, const LayerPointer& layer)
{
    if (id > GetLayerCount())
        return false;
    emit layerAboutToBeInserted(id);
    {
        QMutexLocker locker(&m_layersLock);
        m_layers.insert(int(id), layer);
    }
    emit layerInserted(id);
    return true;
}

unsigned int KXMemoryDocument::Append(const LayerPointer& layer)
{
    const unsigned int id = GetLayerCount();
    if (!Insert(id, layer))
        return InvalidId;
    m_current = layer.data();
    return id;
}

template <class Change>
bool KXMemoryDocument::Edit(unsigned int id, Change change)
{
    KXMemoryLayer* layer = Find(id);
    if (!layer)
        return false;
    layer->lock->LockForWrite();
    const bool changed = change(*layer);
    layer->lock->UnlockWrite();
    return changed;
}

template <class Value, class Field>
void KXMemoryDocument::SetProperty(unsigned int id, Field field, const Value& value)
{
    if (Edit(id, [&](KXMemoryLayer& layer) {
            if (layer.*field == value)
                return false;
            layer.*field = value;
            return true;
        }))
        emit layerPropertiesChanged(id);
}

template <class Value, class Field>
void KXMemoryDocument::SetTextAttribute(unsigned int id, Field field, const Value& value)
{
    if (Edit(id, [&](KXMemoryLayer& layer) {
            if (layer.type != TextLayer || layer.text.*field == value)
                return false;
            layer.text.*field = value;
            return true;
        }))
        emit layerPropertiesChanged(id);
}

void KXMemoryDocument::SetPositions(unsigned int id, const QPoint* layerPosition, const QPoint* maskPosition,
                                    bool relative)
{
    bool layerMoved = false;
    bool maskMoved = false;
    Edit(id, [&](KXMemoryLayer& layer) {
        if (layerPosition) {
            const QPoint to = relative ? layer.position + *layerPosition : *layerPosition;
            layerMoved = to != layer.position;
            layer.position = to;
        }
        if (maskPosition) {
            const QPoint to = relative ? layer.maskPosition + *maskPosition : *maskPosition;
            maskMoved = to != layer.maskPosition;
            layer.maskPosition = to;
        }
        return layerMoved || maskMoved;
    });
    if (layerMoved)
        emit layerChanged(id);
    if (maskMoved)
        emit layerMaskChanged(id);
}

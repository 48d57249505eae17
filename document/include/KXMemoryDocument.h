#pragma once

#include <QColor>
#include <QMutex>
#include <QSharedPointer>
#include <QVector>

#include "KXDocumentInterface.h"
#include "vorndocument_export.h"

class KXMemoryLayer;

// A complete document held in memory: every operation of KXDocumentInterface
// on a stack of raster, text and adjustment layers with real pixels, masks,
// text attributes, adjustment parameters, layer styles, alpha channels,
// paths, colour samples and the selection.
//
// Building a document for a test or a demo:
//     KXMemoryDocument document(QSize(800, 600));
//     KXImage32 sky(800, 600);
//     sky.Fill(KXRGBA32i(90, 160, 255, 255));
//     document.AddRasterLayer("Background", sky);                      // id 0
//     document.AddRasterLayer("Sun", sun, QPoint(600, 40));            // id 1
//     document.AddTextLayer("Title", "Hello", QFont("DejaVu Sans", 48),
//                           Qt::white, QPoint(40, 40));                  // id 2, rendered
//     document.AddAdjustmentLayer("Warm", "Hue/Saturation");            // id 3
//     document.SetSelectionMask(mask, QPoint(10, 10));
//     KXImage32 picture = document.Compose();
//     KXDocumentModel layers(&document);                               // panel rows 0-2: ids 1-3
// The Add* calls put a layer on top (blend mode normal, opacity 1, visible,
// no mask), return its id and make it the current layer, whose style
// GetStyleProxy() returns. Everything else goes through the interface.
//
// Each layer owns its pixels (KXImage32 shared copy-on-write: handing images
// in and out copies no pixels), its lock and its style. The current layer
// follows its layer when ids shift and is cleared when the layer is removed.
// The document owns its layers and its channel model (a Qt child); threads and
// signals follow KXDocumentInterface.
class VORNDOCUMENT_EXPORT KXMemoryDocument : public KXDocumentInterface
{
    Q_OBJECT

public:
    // Returned by the Add* calls that fail.
    static constexpr unsigned int InvalidId = 0xFFFFFFFF;

    // A document with no layers; a negative or too large size counts as empty.
    explicit KXMemoryDocument(const QSize& canvasSize, QObject* parent = nullptr);
    ~KXMemoryDocument() override;

    unsigned int AddRasterLayer(const QString& name, const KXImage32& image, const QPoint& position = QPoint());
    // A text layer with the text at the position, rendered into its image.
    unsigned int AddTextLayer(const QString& name, const QString& text, const QFont& font, const QColor& color,
                              const QPoint& position);
    // An adjustment layer of the registered adjustment (ZTAdjustmentManager)
    // with its default parameters; InvalidId for an unknown name.
    unsigned int AddAdjustmentLayer(const QString& name, const QString& adjustmentName);

    // The current layer: -1 when there is none. An id out of range clears it.
    void SetCurrentLayer(unsigned int id);
    int GetCurrentLayer() const;

    // All visible layers composed over a transparent canvas.
    KXImage32 Compose() const;

    // KXDocumentInterface
    unsigned int GetLayerCount() const override;
    QSize GetCanvasSize() const override;
    bool SetCanvasSize(const QSize& size) override;
    int GetDocumentKind() const override;
    void UpdateView(const QRect& rect) override;

    int GetLayerType(unsigned int id) const override;
    bool CreateRasterLayer(const QString& name, unsigned int id) override;
    bool CreateTextLayer(const QString& name, unsigned int id) override;
    bool CreateAdjustmentLayer(const QString& name, unsigned int id, ZTAdjustment* adjustment) override;
    bool InsertRasterLayer(const QString& name, const KXImage32& image, const QPoint& position,
                           unsigned int blendMode, double opacity, unsigned int id) override;
    bool RemoveLayer(unsigned int id) override;
    bool SetLayerSequence(const QList<unsigned int>& sequence) override;
    bool ConvertTextLayerToRaster(unsigned int id) override;

    QString GetLayerName(unsigned int id) const override;
    void SetLayerName(unsigned int id, const QString& name) override;
    double GetLayerOpacity(unsigned int id) const override;
    void SetLayerOpacity(unsigned int id, double opacity) override;
    unsigned int GetLayerBlendMode(unsigned int id) const override;
    void SetLayerBlendMode(unsigned int id, unsigned int mode) override;
    bool GetLayerVisible(unsigned int id) const override;
    void SetLayerVisible(unsigned int id, bool visible) override;
    unsigned int GetLayerLocks(unsigned int id) const override;
    void SetLayerLocks(unsigned int id, unsigned int locks) override;

    QRect GetLayerGeometry(unsigned int id) const override;
    QRect GetMaskGeometry(unsigned int id) const override;
    void SetLayerPosition(unsigned int id, const QPoint& position) override;
    void SetMaskPos(unsigned int id, const QPoint& position) override;
    void MoveLayer(unsigned int id, const QPoint& delta) override;
    void MoveMask(unsigned int id, const QPoint& delta) override;
    void SetLayerAndMaskPosition(unsigned int id, const QPoint& layerPosition, const QPoint& maskPosition) override;
    void MoveLayerAndMask(unsigned int id, const QPoint& layerDelta, const QPoint& maskDelta) override;

    KXImage32* GetLayerImage(unsigned int id) override;
    const KXImage32* GetLayerImage(unsigned int id) const override;
    bool SetLayerImage(unsigned int id, const KXImage32& image) override;
    void UpdateLayer(unsigned int id) override;

    bool HasLayerMask(unsigned int id) const override;
    KXImage32* GetLayerMask(unsigned int id) override;
    const KXImage32* GetLayerMask(unsigned int id) const override;
    bool GetMaskImage(unsigned int id, KXImage32& mask) const override;
    bool CreateLayerMask(unsigned int id, const KXImage32& mask, bool maskType) override;
    bool SetLayerMask(unsigned int id, const KXImage32& mask) override;
    bool RemoveLayerMask(unsigned int id) override;
    bool GetMaskEnabled(unsigned int id) const override;
    void SetMaskEnabled(unsigned int id, bool enabled) override;
    bool GetMaskLinked(unsigned int id) const override;
    void SetMaskLinked(unsigned int id, bool linked) override;
    bool GetMaskType(unsigned int id, bool& maskType) const override;
    void SetMaskType(unsigned int id, bool maskType) override;
    void UpdateLayerMask(unsigned int id) override;

    QString GetText(unsigned int id) const override;
    void SetText(unsigned int id, const QString& text) override;
    QFont GetTextFont(unsigned int id) const override;
    void SetTextFont(unsigned int id, const QFont& font) override;
    QBrush GetTextBrush(unsigned int id) const override;
    void SetTextBrush(unsigned int id, const QBrush& brush) override;
    QPoint GetTextPosition(unsigned int id) const override;
    void SetTextPosition(unsigned int id, const QPoint& position) override;
    int GetTextStyle(unsigned int id) const override;
    void SetTextStyle(unsigned int id, int style) override;
    bool GetTextOrientation(unsigned int id) const override;
    void SetTextOrientation(unsigned int id, bool vertical) override;
    double GetTextBend(unsigned int id) const override;
    void SetTextBend(unsigned int id, double bend) override;
    double GetTextHDistortion(unsigned int id) const override;
    void SetTextHDistortion(unsigned int id, double distortion) override;
    double GetTextVDistortion(unsigned int id) const override;
    void SetTextVDistortion(unsigned int id, double distortion) override;
    QMatrix4x4 GetTextTransform(unsigned int id) const override;
    void SetTextTransform(unsigned int id, const QMatrix4x4& transform) override;
    int GetTextRenderMode(unsigned int id) const override;
    void SetTextRenderMode(unsigned int id, int mode) override;

    bool GetLayerAdjustment(unsigned int id, ZTAdjustment*& adjustment) const override;
    bool GetAdjustmentTarget(unsigned int id, ZTAdjustmentTarget& target) const override;

    bool CreateAlphaChannel(const QString& name, unsigned int id) override;
    bool CreateAlphaChannelFromMask(const QString& name, const KXImage32& mask, unsigned int id) override;
    bool DeleteAlphaChannel(unsigned int id) override;
    bool SetChannelOffset(unsigned int id, const QPoint& offset) override;
    KXChannelModel* GetChannelModel() const override;

    KXStyleProxy* GetStyleProxy() const override;

    QSharedPointer<KXDocumentLock> GetLayerLock(unsigned int id) const override;

private:
    using LayerPointer = QSharedPointer<KXMemoryLayer>;

    KXMemoryLayer* Find(unsigned int id) const;
    KXMemoryLayer* FindText(unsigned int id) const;
    bool Insert(unsigned int id, const LayerPointer& layer);
    unsigned int Append(const LayerPointer& layer);
    // Runs the change under the layer's write lock; false for a bad id or when the change says so.
    template <class Change>
    bool Edit(unsigned int id, Change change);
    template <class Value, class Field>
    void SetProperty(unsigned int id, Field field, const Value& value);
    template <class Value, class Field>
    Value TextAttribute(unsigned int id, Field field) const;
    template <class Value, class Field>
    void SetTextAttribute(unsigned int id, Field field, const Value& value);
    void SetPositions(unsigned int id, const QPoint* layerPosition, const QPoint* maskPosition, bool relative);

    mutable QMutex m_layersLock; // guards the layer list itself
    QVector<LayerPointer> m_layers;
    KXMemoryLayer* m_current = nullptr;
    QSize m_canvasSize;
    KXChannelModel* m_channels;
};

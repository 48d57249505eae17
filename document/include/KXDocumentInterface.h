#pragma once

#include <QBrush>
#include <QFont>
#include <QList>
#include <QMatrix4x4>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSharedPointer>
#include <QSize>
#include <QString>

#include "KXDocumentLock.h"
#include "KXImage.h"
#include "ZTAdjustment.h"
#include "ZTAdjustmentTarget.h"
#include "vorndocument_export.h"

class KXChannelModel;
class KXColorSampleModel;
class KXPathsListModel;
class KXStyleProxy;

// One open document: a stack of layers, a pixel selection, alpha channels,
// paths, colour samples and a layer style, reached by the commands and the
// application through this interface.
//
// Layers. A layer id is the layer's position in the stack, 0 (bottom) to
// GetLayerCount() - 1. Creating a layer at id i moves the layers i and above
// up by one; removing one moves those above down. Layer types: 0 raster,
// 1 text, 2 adjustment. A layer's rectangle (GetLayerGeometry) is its
// position plus its image size; a mask likewise (GetMaskGeometry; a layer
// without a mask still keeps a mask position). New layers and masks sit at
// (0, 0). An operation given an id out of range does nothing and returns
// false (or an empty value).
//
// Selection. The pixel selection is a KXImage32 placed at an integer offset;
// a selected pixel is opaque black, an unselected one all zero. There is a
// selection while the mask is not empty (HasSelection).
//
// Threads. The document belongs to the thread that created it (the GUI
// thread): every operation is called there, except that other threads may
// read pixels and geometry while they hold a layer or selection locker
// (KXDocumentLayerLockerForRead and friends). Operations that change a
// layer's pixels or position lock that layer for writing internally; those
// that change the selection lock the selection. The selection edit bracket
// (BeginEditSelection ... EndEditSelection) holds the selection's write lock.
//
// Signals are sent after the change, with no lock held. A subclass sends the
// layer signals from its virtual operations as documented with each signal.
//
// Owns the selection mask and its own path and colour sample models (Qt
// children, deleted with it); a model a subclass sets instead is not owned.
class VORNDOCUMENT_EXPORT KXDocumentInterface : public QObject
{
    Q_OBJECT

public:
    // The largest canvas width or height.
    static constexpr int MAX_DOC_DIMENSION = 300000;

    enum LayerType
    {
        RasterLayer = 0,
        TextLayer = 1,
        AdjustmentLayer = 2
    };
    // Layer blend mode codes (KXComposeHelper maps them to the image library's modes).
    enum LayerBlendMode
    {
        BlendNormal = 0,
        BlendMultiply = 1,
        BlendScreen = 2,
        BlendOverlay = 3,
        BlendDarken = 4,
        BlendLighten = 5,
        BlendColorDodge = 6,
        BlendColorBurn = 7,
        BlendHardLight = 8,
        BlendSoftLight = 9,
        BlendDifference = 10,
        BlendExclusion = 11,
        BlendLinearBurn = 12,
        BlendLinearDodge = 32
    };

    explicit KXDocumentInterface(QObject* parent = nullptr);
    ~KXDocumentInterface() override;

    // --- Document state counter: moved by one per change (commands add 1 on
    // redo and take 1 on undo). Sends documentStateChanged when it changes.
    int GetDocumentState() const;
    void SetDocumentState(int state);

    // --- Selection.
    bool HasSelection() const;
    // The mask (read it under a KXDocumentSelectionLockerForRead from other threads).
    const KXImage32& GetSelectionMask() const;
    QPoint GetSelectionMaskOffset() const;
    // The rectangle the mask covers in the document: its offset and its size
    // (a null QRect at the offset when the mask is empty).
    QRect GetSelectionGeometry() const;
    void SetSelectionMask(const KXImage32& mask, const QPoint& offset);
    // Moves the mask by the delta.
    void TranslateSelection(const QPoint& delta);
    // Places the mask's top-left pixel at the offset.
    void MoveToSelection(const QPoint& offset);
    // The selection edit bracket. BeginEditSelection takes the selection's
    // write lock and returns the mask for writing (assign a new image to it or
    // draw into it); EndEditSelection releases it. Brackets nest (the lock is
    // recursive): only the outermost EndEditSelection releases the lock and
    // sends selectionChanged, once, if anything was edited inside. An
    // EndEditSelection without a BeginEditSelection only sends
    // selectionChanged when a change made outside a bracket is still
    // unannounced (SetSelectionMask, MoveToSelection and TranslateSelection
    // outside a bracket announce themselves at once, so normally nothing).
    KXImage32& BeginEditSelection();
    void EndEditSelection();
    // The selection's lock, for KXDocumentSelectionLockerForRead.
    KXDocumentLock* GetSelectionLock() const;

    // --- Resolution in dots per inch (72 for a new document); values below 1 are ignored.
    void SetDPI(int dpi);
    int GetDPI() const;

    // Tells the document that the pixels or the offset of an alpha channel
    // changed: refreshes the channel model's row and sends channelChanged
    // (nothing for an id that names no alpha channel).
    void ChannelChangedExternal(unsigned int id);

    // The colour sample points and the vector paths of the document (owned
    // by the document; null only when a subclass removed them).
    KXColorSampleModel* GetColorSamples() const;
    KXPathsListModel* GetPathListModel() const;

    // --- Document.
    virtual unsigned int GetLayerCount() const = 0;
    virtual QSize GetCanvasSize() const = 0;
    // False, nothing changed, for a negative size or one above MAX_DOC_DIMENSION.
    virtual bool SetCanvasSize(const QSize& size) = 0;
    // 0: an RGBA raster document (the only kind here).
    virtual int GetDocumentKind() const = 0;
    // Asks for the rectangle to be redrawn; QRect(0, 0, -1, -1) means everything.
    virtual void UpdateView(const QRect& rect) = 0;

    // --- Layer list.
    // 0 raster, 1 text, 2 adjustment; -1 for an id out of range.
    virtual int GetLayerType(unsigned int id) const = 0;
    // Insert an empty layer at the id (0 to GetLayerCount()): a raster layer
    // with an empty image, a text layer with no text, an adjustment layer of
    // the given adjustment with its default parameters (false for null).
    virtual bool CreateRasterLayer(const QString& name, unsigned int id) = 0;
    virtual bool CreateTextLayer(const QString& name, unsigned int id) = 0;
    virtual bool CreateAdjustmentLayer(const QString& name, unsigned int id, ZTAdjustment* adjustment) = 0;
    // Inserts a raster layer holding the image at the position.
    virtual bool InsertRasterLayer(const QString& name, const KXImage32& image, const QPoint& position,
                                   unsigned int blendMode, double opacity, unsigned int id)
        = 0;
    virtual bool RemoveLayer(unsigned int id) = 0;
    // Reorders all layers: entry k of the sequence is the old id of the layer
    // that ends at id k (new[k] = old[sequence[k]]). False, nothing changed,
    // unless the sequence is a permutation of 0 .. GetLayerCount() - 1.
    virtual bool SetLayerSequence(const QList<unsigned int>& sequence) = 0;
    // Turns a text layer into a raster layer with the same pixels and
    // properties; false for any other layer.
    virtual bool ConvertTextLayerToRaster(unsigned int id) = 0;

    // --- Layer properties. Opacity is 0 to 1 (stored as given); blend modes
    // are LayerBlendMode codes (other codes compose as normal); locks are bits
    // the document stores for the application and does not enforce.
    virtual QString GetLayerName(unsigned int id) const = 0;
    virtual void SetLayerName(unsigned int id, const QString& name) = 0;
    virtual double GetLayerOpacity(unsigned int id) const = 0;
    virtual void SetLayerOpacity(unsigned int id, double opacity) = 0;
    virtual unsigned int GetLayerBlendMode(unsigned int id) const = 0;
    virtual void SetLayerBlendMode(unsigned int id, unsigned int mode) = 0;
    virtual bool GetLayerVisible(unsigned int id) const = 0;
    virtual void SetLayerVisible(unsigned int id, bool visible) = 0;
    virtual unsigned int GetLayerLocks(unsigned int id) const = 0;
    virtual void SetLayerLocks(unsigned int id, unsigned int locks) = 0;

    // --- Geometry. Set* place at absolute points, Move* move by deltas. A
    // layer and its mask move independently (the linked flag is kept for the
    // application; MoveLayerAndMask moves both).
    virtual QRect GetLayerGeometry(unsigned int id) const = 0;
    virtual QRect GetMaskGeometry(unsigned int id) const = 0;
    virtual void SetLayerPosition(unsigned int id, const QPoint& position) = 0;
    virtual void SetMaskPos(unsigned int id, const QPoint& position) = 0;
    virtual void MoveLayer(unsigned int id, const QPoint& delta) = 0;
    virtual void MoveMask(unsigned int id, const QPoint& delta) = 0;
    virtual void SetLayerAndMaskPosition(unsigned int id, const QPoint& layerPosition, const QPoint& maskPosition) = 0;
    virtual void MoveLayerAndMask(unsigned int id, const QPoint& layerDelta, const QPoint& maskDelta) = 0;

    // --- Pixels. GetLayerImage returns the stored image itself (no copy), or
    // null for an adjustment layer or a bad id; write to it only under a
    // KXDocumentLayerLockerForWrite and call UpdateLayer afterwards.
    virtual KXImage32* GetLayerImage(unsigned int id) = 0;
    virtual const KXImage32* GetLayerImage(unsigned int id) const = 0;
    // Replaces the pixels (shares the tiles); false for an adjustment layer.
    virtual bool SetLayerImage(unsigned int id, const KXImage32& image) = 0;
    // Announces changed pixels: sends layerChanged.
    virtual void UpdateLayer(unsigned int id) = 0;

    // --- Mask. The mask type flag says how an enabled mask reads when layers
    // are composed (it is BlendMaskOn's mask flag): true, a layer mask whose
    // grey level times alpha reveals the layer (opaque white reveals, opaque
    // black hides); false, a mask whose alpha alone reveals it. Outside its
    // rectangle a mask hides the layer. A new layer keeps the type false.
    virtual bool HasLayerMask(unsigned int id) const = 0;
    // The stored mask image, or null when the layer has no mask.
    virtual KXImage32* GetLayerMask(unsigned int id) = 0;
    virtual const KXImage32* GetLayerMask(unsigned int id) const = 0;
    // A copy (sharing tiles) of the mask; false and an empty image without a mask.
    virtual bool GetMaskImage(unsigned int id, KXImage32& mask) const = 0;
    // Gives the layer a mask (replacing one it has) at the layer's mask
    // position; the enabled and linked flags keep their values (true for a new layer).
    virtual bool CreateLayerMask(unsigned int id, const KXImage32& mask, bool maskType) = 0;
    // Replaces the mask's pixels; false when the layer has no mask.
    virtual bool SetLayerMask(unsigned int id, const KXImage32& mask) = 0;
    virtual bool RemoveLayerMask(unsigned int id) = 0;
    virtual bool GetMaskEnabled(unsigned int id) const = 0;
    virtual void SetMaskEnabled(unsigned int id, bool enabled) = 0;
    virtual bool GetMaskLinked(unsigned int id) const = 0;
    virtual void SetMaskLinked(unsigned int id, bool linked) = 0;
    // Writes the flag and returns true when the layer has a mask; otherwise
    // writes false and returns false (a bad id leaves the flag untouched).
    virtual bool GetMaskType(unsigned int id, bool& maskType) const = 0;
    virtual void SetMaskType(unsigned int id, bool maskType) = 0;
    // Announces changed mask pixels or flags: sends layerMaskChanged.
    virtual void UpdateLayerMask(unsigned int id) = 0;

    // --- Text attributes (text layers only; other layers ignore the setters
    // and give default values). Setting attributes does not re-render the
    // layer: KXImageHelper::drawImage does. The text position is where the
    // text starts in the document; the text transform (identity: none) is the
    // placement applied to the text rendered there. Style, bend and
    // distortions are KXTextHelper's. Render mode: 0 nearest neighbour,
    // 1 bilinear (the default), other values bicubic resampling.
    virtual QString GetText(unsigned int id) const = 0;
    virtual void SetText(unsigned int id, const QString& text) = 0;
    virtual QFont GetTextFont(unsigned int id) const = 0;
    virtual void SetTextFont(unsigned int id, const QFont& font) = 0;
    virtual QBrush GetTextBrush(unsigned int id) const = 0;
    virtual void SetTextBrush(unsigned int id, const QBrush& brush) = 0;
    virtual QPoint GetTextPosition(unsigned int id) const = 0;
    virtual void SetTextPosition(unsigned int id, const QPoint& position) = 0;
    virtual int GetTextStyle(unsigned int id) const = 0;
    virtual void SetTextStyle(unsigned int id, int style) = 0;
    virtual bool GetTextOrientation(unsigned int id) const = 0;
    virtual void SetTextOrientation(unsigned int id, bool vertical) = 0;
    virtual double GetTextBend(unsigned int id) const = 0;
    virtual void SetTextBend(unsigned int id, double bend) = 0;
    virtual double GetTextHDistortion(unsigned int id) const = 0;
    virtual void SetTextHDistortion(unsigned int id, double distortion) = 0;
    virtual double GetTextVDistortion(unsigned int id) const = 0;
    virtual void SetTextVDistortion(unsigned int id, double distortion) = 0;
    virtual QMatrix4x4 GetTextTransform(unsigned int id) const = 0;
    virtual void SetTextTransform(unsigned int id, const QMatrix4x4& transform) = 0;
    virtual int GetTextRenderMode(unsigned int id) const = 0;
    virtual void SetTextRenderMode(unsigned int id, int mode) = 0;

    // --- Adjustment layers: the shared adjustment object and the layer's own
    // parameter block (see ZTAdjustment); false for other layers.
    virtual bool GetLayerAdjustment(unsigned int id, ZTAdjustment*& adjustment) const = 0;
    virtual bool GetAdjustmentTarget(unsigned int id, ZTAdjustmentTarget& target) const = 0;

    // --- Alpha channels. A channel id is the channel's position among the
    // alpha channels (0 first); creating at id i moves channels i and above
    // up, deleting moves those above down. Channels live in the channel model.
    // Creates an all-unselected channel of the canvas size at (0, 0).
    virtual bool CreateAlphaChannel(const QString& name, unsigned int id) = 0;
    virtual bool CreateAlphaChannelFromMask(const QString& name, const KXImage32& mask, unsigned int id) = 0;
    virtual bool DeleteAlphaChannel(unsigned int id) = 0;
    virtual bool SetChannelOffset(unsigned int id, const QPoint& offset) = 0;
    virtual KXChannelModel* GetChannelModel() const = 0;

    // --- The layer style of the current layer (null when there is none).
    virtual KXStyleProxy* GetStyleProxy() const = 0;

    // --- The lock of a layer, for the layer lockers (null for a bad id). The
    // lock stays valid for as long as it is held, even if the layer goes.
    virtual QSharedPointer<KXDocumentLock> GetLayerLock(unsigned int id) const = 0;

signals:
    void documentStateChanged(int state);
    void selectionChanged();
    void dpiChanged(int dpi);
    void channelChanged(unsigned int id);
    void canvasSizeChanged(const QSize& size);
    void viewUpdateRequested(const QRect& rect);
    // Layer list changes, each pair around the change.
    void layerAboutToBeInserted(unsigned int id);
    void layerInserted(unsigned int id);
    void layerAboutToBeRemoved(unsigned int id);
    void layerRemoved(unsigned int id);
    void layersAboutToBeReordered(const QList<unsigned int>& sequence);
    void layersReordered(const QList<unsigned int>& sequence);
    // Pixels (UpdateLayer, SetLayerImage, re-rendered text) and position.
    void layerChanged(unsigned int id);
    // Mask pixels, presence, position or flags.
    void layerMaskChanged(unsigned int id);
    // Name, opacity, blend mode, visibility, locks, type, text attributes, adjustment.
    void layerPropertiesChanged(unsigned int id);

protected:
    // Replace the document's own path or colour sample model (the document
    // does not take ownership of the new one; null leaves the document without).
    void SetPathListModel(KXPathsListModel* model);
    void SetColorSamples(KXColorSampleModel* model);

private:
    void SelectionEdited();

    int m_state = 0;
    int m_dpi = 72;
    KXImage32 m_selectionMask;
    QPoint m_selectionOffset;
    mutable KXDocumentLock m_selectionLock;
    int m_selectionEditDepth = 0;
    bool m_selectionUnannounced = false;
    KXPathsListModel* m_paths = nullptr;
    KXColorSampleModel* m_samples = nullptr;
};

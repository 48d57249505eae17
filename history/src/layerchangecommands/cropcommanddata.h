#pragma once

#include <QList>
#include <QPair>
#include <QRect>
#include <QSize>
#include <QTransform>

#include <map>
#include <memory>

#include "KXImage.h"
#include "KXPathElement.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

// What a crop keeps of one layer to put it back: its mask (when it has one)
// and what its kind needs. Kinds: 1 raster, 2 text, 3 adjustment (the crop
// record's own numbering, not the document's layer types).
// Owned by the crop record that maps it (CropDataRecord::layers). Used on the
// GUI thread; written with that record on the serializer's worker.
class VORNHISTORY_EXPORT DocLayerData
{
public:
    enum Kind
    {
        RasterKind = 1,
        TextKind = 2,
        AdjustmentKind = 3
    };

    virtual ~DocLayerData();

    int GetKind() const { return m_kind; }

    // The mask's placed rectangle in the document, its pixels, and whether
    // the layer has one (rectangle and pixels mean nothing otherwise).
    QRect maskRect;
    KXImage32 maskImage;
    bool hasMask = false;

protected:
    explicit DocLayerData(int kind)
        : m_kind(kind)
    {
    }

private:
    int m_kind;
};

// A raster layer: its placed rectangle (top-left = offset) and all its pixels.
// Ownership and threads: as DocLayerData.
class VORNHISTORY_EXPORT RasterDocData : public DocLayerData
{
public:
    static constexpr int OwnKind = RasterKind;

    RasterDocData()
        : DocLayerData(OwnKind)
    {
    }

    QRect layerRect;
    KXImage32 layerImage;
};

// A text layer: its text placement before the crop, the placement the crop
// gives it (recorded only, never read back), and its rectangle.
// Ownership and threads: as DocLayerData.
class VORNHISTORY_EXPORT TextDocData : public DocLayerData
{
public:
    static constexpr int OwnKind = TextKind;

    TextDocData()
        : DocLayerData(OwnKind)
    {
    }

    QTransform textTransform;
    QTransform fullTransform;
    QRect layerRect;
};

// An adjustment layer: only its mask.
// Ownership and threads: as DocLayerData.
class VORNHISTORY_EXPORT AdjustmentDocData : public DocLayerData
{
public:
    static constexpr int OwnKind = AdjustmentKind;

    AdjustmentDocData()
        : DocLayerData(OwnKind)
    {
    }
};

// The payload of CropCommandData (CropCommandData::CropData).
//
// Record: undo canvas size, new canvas size (sizes), crop transform, the
// keep-outside and bicubic flags (ints 0/1), the number of layer entries
// (int), then per entry in ascending layer id its layer record and the layer
// id (uint), then the number of paths (int) and each path.
// Layer record: kind (int); kind 2: text transform, full transform, layer
// rectangle; kind 1: layer image, layer rectangle; kind 3: nothing; then
// has-mask (int) and, when set, mask image and mask rectangle.
// Owns its layer records. Owned by its CropCommandData, which creates and
// releases it; used on the GUI thread and written on the serializer's worker.
struct VORNHISTORY_EXPORT CropDataRecord
{
    using Path = QList<QPair<QList<KXPathElement>, int>>;
    using LayerMap = std::map<unsigned int, std::unique_ptr<DocLayerData>>;

    QList<Path> undoPaths;
    // A slot may hold no record (one that could not be read).
    LayerMap layers;
    QSize undoCanvasSize = QSize(-1, -1);
    QSize newCanvasSize = QSize(-1, -1);
    QTransform transform;
    bool keepOutside = false;
    bool bicubic = false;

    template <class Io>
    bool Fields(Io& io)
    {
        int count = int(layers.size());
        const bool head = io(undoCanvasSize, newCanvasSize, transform, VornAsInt(keepOutside), VornAsInt(bicubic), count);
        if (Io::Reading && !head)
            return false;
        if (!LayerEntries(io.Stream(), count))
            return false;
        return io(VornList(undoPaths)) && head;
    }

    // Writes one layer record. A failed write is reported and ends the record.
    static void Serialize(IWriter* writer, const DocLayerData& layer);
    // Reads one layer record: a new record owned by the caller, or null
    // (reported) when it could not be read or its kind is unknown.
    static DocLayerData* Deserialize(IReader* reader);

private:
    // The layer entries (the count is written or read with the head). Writing
    // stops at the first layer id that fails; reading at the first layer id
    // that cannot be read. An empty slot is written as kind 0, which reads
    // back as an empty slot.
    bool LayerEntries(IWriter* writer, int count);
    bool LayerEntries(IReader* reader, int count);
};

// What a crop needs to redo and undo itself: the crop (transform, new canvas
// size, flags) and, to undo it, the old canvas size, a copy of every layer
// (pixels, rectangle, text placement, mask) and of every path. The images
// share their tiles with the document's until one side is written.
//
// Every setter creates the payload when missing; every getter returns false,
// leaving its out-parameters alone, while there is none.
// Owns its record; its command owns it until the push, the stack's serializer
// after. Filled and read on the GUI thread; between executions the
// serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT CropCommandData : public VornRecordData<CropDataRecord>
{
public:
    using CropData = CropDataRecord;
    using Path = CropDataRecord::Path;

    static constexpr unsigned int Type = 5;
    unsigned int GetDataType() const override { return Type; }

    void SetUndoPathList(const QList<Path>& paths);
    bool GetUndoPathList(QList<Path>& paths) const;

    // A raster layer's record (kind 1). Each setter replaces a record of
    // another kind; the mask rectangle and image are stored only with hasMask.
    void SetUndoLayerData(unsigned int layer, const QRect& rect, const KXImage32& image, bool hasMask,
                          const QRect& maskRect, const KXImage32& mask);
    // A text layer's record (kind 2).
    void SetUndoLayerData(unsigned int layer, const QRect& rect, const QTransform& textTransform,
                          const QTransform& fullTransform, bool hasMask, const QRect& maskRect, const KXImage32& mask);
    // An adjustment layer's record (kind 3).
    void SetUndoLayerData(unsigned int layer, bool hasMask, const QRect& maskRect, const KXImage32& mask);

    // False unless the layer has a record of that kind; the mask rectangle
    // and image are written only when the record has a mask.
    bool GetUndoLayerData(unsigned int layer, QRect& rect, KXImage32& image, bool& hasMask, QRect& maskRect,
                          KXImage32& mask) const;
    bool GetUndoLayerData(unsigned int layer, QRect& rect, QTransform& textTransform, QTransform& fullTransform,
                          bool& hasMask, QRect& maskRect, KXImage32& mask) const;
    bool GetUndoLayerData(unsigned int layer, bool& hasMask, QRect& maskRect, KXImage32& mask) const;

    void SetUndoCanvasSize(const QSize& size);
    bool GetUndoCanvasSize(QSize& size) const;

    void SetRedoData(const QTransform& transform, const QSize& newSize, bool keepOutside, bool bicubic);
    bool GetRedoData(QTransform& transform, QSize& newSize, bool& keepOutside, bool& bicubic) const;

    // The layer ids of all entries, ascending (empty without a payload).
    QList<unsigned int> GetIndexes() const;

private:
    // The layer's record as T, created (replacing one of another kind) when needed.
    template <class T>
    T& EditLayer(unsigned int layer, bool hasMask, const QRect& maskRect, const KXImage32& mask);
    // The layer's record when it is a T, else null.
    template <class T>
    const T* FindLayer(unsigned int layer) const;
};

// data typed as CropCommandData when it is one (type 5), else null.
VORNHISTORY_EXPORT CropCommandData* cropcommanddata_cast(VornCommandData* data);

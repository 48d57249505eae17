#pragma once

#include <QList>
#include <QPair>
#include <QPoint>
#include <QSize>
#include <QTransform>

#include "KXImage.h"
#include "KXPathElement.h"
#include "vornrecord.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// What an image-size change keeps (see ImageSizeCommandData).
struct ImageSizeResizeData
{
    // One visited layer (layer id = entry index + 1). Only raster
    // layers (type 0) carry pixels, offsets and a mask.
    struct LayerData
    {
        int type = 0;
        // (Initialised explicitly: the record reader value-initialises entries with {}.)
        KXImage32 image = KXImage32();
        KXImage32 mask = KXImage32();
        QPoint offset;
        QPoint maskOffset;
        bool hasMask = false;

        // Type (int); for type 0 the image, offset, has-mask (int 0/1)
        // and, with a mask, the mask and its offset.
        template <class Io>
        bool Fields(Io& io)
        {
            if (!io(type))
                return false;
            if (type != 0)
                return true;
            bool ok = io(image, offset, VornAsInt(hasMask));
            if (hasMask)
                ok = io(mask, maskOffset) && ok;
            return ok;
        }
    };

    QSize oldSize{-1, -1};
    QSize newSize{-1, -1};
    double oldResolution = 0;
    double newResolution = 0;
    bool resample = false;
    int resampleType = 0;
    KXImage32 selectionMask;
    QPoint selectionOffset;
    QTransform redoTransform;
    QList<LayerData> layers;
    QList<QList<QPair<QList<KXPathElement>, int>>> paths;

    // Resample (int 0/1), old and new resolution; only when resampling:
    // the type, old and new size, the redo transform, the layers (count,
    // entries), the paths (count, paths), the selection mask and offset.
    template <class Io>
    bool Fields(Io& io)
    {
        bool ok = io(VornAsInt(resample), oldResolution, newResolution);
        if (!resample)
            return ok;
        return io(resampleType, oldSize, newSize, redoTransform, VornList(layers), VornList(paths), selectionMask,
                  selectionOffset)
            && ok;
    }
};

// A change of the document's resolution and, when it resamples, of its pixel
// size. It collects what undo needs from the document itself (Init): every
// layer's pixels, mask and offsets, the paths and the selection.
//
// Owns its record; the serializer owns the object once the command is pushed.
// Init reads the document without keeping it. Set and read on the GUI thread;
// the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT ImageSizeCommandData : public VornRecordData<ImageSizeResizeData>
{
public:
    static constexpr unsigned int Type = 26;
    unsigned int GetDataType() const override { return Type; }
    using ResizeData = ImageSizeResizeData;
    // Which resampler scales the layers (any value above 1 is bicubic).
    enum ResampleType
    {
        NearestNeighbourResample = 0,
        BilinearResample = 1,
        BicubicResample = 2
    };
    using Path = QList<QPair<QList<KXPathElement>, int>>;

    // Stores the sizes and resolutions; with resample, also copies (sharing
    // tiles) the selection, every raster layer's pixels and mask with their
    // offsets (layer ids 1 and up) and all paths, and sets the redo transform
    // to the scale from the old size to the new.
    void Init(KXDocumentInterface* document, const QSize& oldSize, double oldDpi, const QSize& newSize,
              double newDpi, bool resample, ResampleType type);

    bool GetResample() const; // false without data
    int GetResampleType() const; // 0 without data
    QSize GetOldSize() const; // (-1, -1) without data
    QSize GetNewSize() const;
    double GetOldDPI() const; // 1.0 without data
    double GetNewDPI() const;
    QTransform GetRedoTransform() const; // identity without data
    // The selection mask and its offset; an empty image without data.
    KXImage32 GetSelection(QPoint& offset) const;
    unsigned int GetLayersCount() const;
    unsigned int GetPathCount() const;
    bool GetPath(unsigned int index, Path& path) const;
    // False for a bad index, without data, or for an entry that is not a raster layer.
    bool GetLayerData(unsigned int index, KXImage32& image, KXImage32& mask, QPoint& offset, QPoint& maskOffset,
                      bool& hasMask) const;

private:
    using Record = ImageSizeResizeData;
};

// data typed as ImageSizeCommandData when it is one (type 26), else null.
VORNHISTORY_EXPORT ImageSizeCommandData* imagesizecommanddata_cast(VornCommandData* data);

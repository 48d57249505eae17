#pragma once

#include <QBrush>
#include <QByteArray>
#include <QFont>
#include <QMatrix4x4>
#include <QPoint>
#include <QString>

#include "KXImage.h"
#include "vornhistory_export.h"

class IReader;
class IWriter;
class KXDocumentInterface;
class LayerDataItem;
class ZTAdjustment;

VORNHISTORY_EXPORT bool LayerDataItemWrite(IWriter* writer, LayerDataItem& item);
VORNHISTORY_EXPORT bool LayerDataItemRead(IReader* reader, LayerDataItem& item);

// Everything needed to delete one layer from a document and create it again
// as it was: pixels, mask, position, properties, text attributes and the
// adjustment with its parameters. A plain value: copies share the images'
// tiles. Items order by layer id alone.
// Owns its images (tiles shared with copies); the adjustment is only pointed at.
// Captured and applied on the GUI thread; inside a command's record it is also
// written on the serializer's worker.
class VORNHISTORY_EXPORT LayerDataItem
{
public:
    // The attributes of a text layer (kind 1).
    struct TextData
    {
        QString text;
        QFont font;
        QBrush brush; // the text colour
        int style = 0;
        bool orientation = false;
        double bend = 0;
        double hDistortion = 0;
        double vDistortion = 0;
        QPoint textPosition;
        QMatrix4x4 deformation;
    };

    bool operator<(const LayerDataItem& other) const { return layerId < other.layerId; }

    // The item as a nested record of a command's record (see vornrecord.h).
    template <class Io>
    bool Fields(Io& io)
    {
        if constexpr (Io::Reading)
            return LayerDataItemRead(io.Stream(), *this);
        else
            return LayerDataItemWrite(io.Stream(), *this);
    }

    int kind = 0; // 0 raster, 1 text, 2 adjustment
    unsigned int layerId = 0;
    TextData textData;
    QByteArray adjustmentSettings; // kind 2: the layer's parameters
    ZTAdjustment* adjustment = nullptr; // kind 2; not owned (the adjustment registry keeps it)
    KXImage32 image; // kinds 0 and 1
    KXImage32 mask;
    QPoint offset;
    QPoint maskPosition;
    unsigned int blendMode = 0;
    bool visible = false;
    bool maskCreated = false;
    bool maskLinked = false;
    bool maskEnabled = false;
    unsigned int locks = 0; // 0 in a captured item: locks are kept by the commands
    bool merge = false; // merge command: the layer's pixels go into the merged image
    double opacity = 0;
    QString name;
    bool maskType = false;
};

// Captures layer id of the document into item (under the layer's read lock).
// Locks are not captured. Does nothing for a null document.
VORNHISTORY_EXPORT void InitLayerItemFromDocument(unsigned int id, KXDocumentInterface* document,
                                                  LayerDataItem& item);
// Creates the layer the item describes at its layer id. Locks and the merge
// flag are not applied. False when the document is null, the kind is unknown
// or the document could not create the layer (nothing else is touched then).
VORNHISTORY_EXPORT bool InitLayerItemToDocument(KXDocumentInterface* document, const LayerDataItem& item);

// LayerDataItemWrite and LayerDataItemRead (declared above) write and read the
// item's record. Every field is written (read) even after one failed; the
// result is true only when all of them succeeded.

#pragma once

#include <QRect>

#include "KXImage.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

struct PaintCommandRecord
{
    KXImage32 undoImage;
    KXImage32 redoImage;
    QRect undoGeometry;
    QRect redoGeometry;
    QRect undoImageRect;
    QRect redoImageRect;
    int layerId = 0;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(undoImage, redoImage, undoGeometry, redoGeometry, undoImageRect, redoImageRect, layerId);
    }
};

// What a stroke command keeps: the pixels of the stroke's rectangle before and
// after the stroke, where they go, and the layer. Only the stroke's rectangle
// is stored; the images share their tiles with whatever they were taken from.
// A new record has empty images and null rectangles.
//
// Record: undo image, redo image (tiled images), undo geometry, redo geometry,
// undo image rectangle, redo image rectangle (rectangles), layer id (int).
// The layer and mask stroke data differ only in their type number.
//
// Owns its record; the serializer owns the object once the command is pushed.
// Set and read on the GUI thread; the serializer's worker writes and releases it between executions.
class VORNHISTORY_EXPORT PaintCommandData : public VornRecordData<PaintCommandRecord>
{
public:
    // The pixels to put back on undo and to put in on redo, with the part of
    // the image to use; an empty rectangle stands for the whole image.
    void SetUndoImage(const KXImage32& image, const QRect& rect);
    void SetRedoImage(const KXImage32& image, const QRect& rect);
    // The layer's rectangle in the document before the stroke.
    void SetUndoGeometry(const QRect& geometry) { EditRecord().undoGeometry = geometry; }
    // The document rectangle the redo pixels cover.
    void SetRedoGeometry(const QRect& geometry) { EditRecord().redoGeometry = geometry; }
    void SetLayerID(unsigned int id) { EditRecord().layerId = int(id); }

    // False, outputs untouched, while there is no record.
    bool GetUndoImage(KXImage32& image, QRect& rect) const;
    bool GetRedoImage(KXImage32& image, QRect& rect) const;
    bool GetUndoGeometry(QRect& geometry) const { return Field(&PaintCommandRecord::undoGeometry, geometry); }
    bool GetRedoGeometry(QRect& geometry) const { return Field(&PaintCommandRecord::redoGeometry, geometry); }
    bool GetLayerID(unsigned int& id) const;
};

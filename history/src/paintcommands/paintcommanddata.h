#pragma once

#include <QRect>

#include <memory>

#include "KXImage.h"
#include "vorncommanddata.h"
#include "vornhistory_export.h"

// What a stroke command keeps: the pixels of the stroke's rectangle before and
// after the stroke, where they go, and the layer. Only the stroke's rectangle
// is stored; the images share their tiles with whatever they were taken from.
//
// All fields live in one record, created by the first setter or by
// Deserialize and destroyed by ReleaseSerializeData; getters return false
// without it. A new record has empty images and null rectangles.
//
// The record, in order: undo image, redo image (tiled images), undo geometry,
// redo geometry, undo image rectangle, redo image rectangle (rectangles),
// layer id (a 32-bit integer).
class VORNHISTORY_EXPORT PaintCommandData : public VornCommandData
{
public:
    PaintCommandData();
    ~PaintCommandData() override;

    PaintCommandData(const PaintCommandData&) = delete;
    PaintCommandData& operator=(const PaintCommandData&) = delete;

    // The pixels to put back on undo and to put in on redo, with the part of
    // the image to use; an empty rectangle stands for the whole image.
    void SetUndoImage(const KXImage32& image, const QRect& rect);
    void SetRedoImage(const KXImage32& image, const QRect& rect);
    // The layer's rectangle in the document before the stroke.
    void SetUndoGeometry(const QRect& geometry);
    // The document rectangle the redo pixels cover.
    void SetRedoGeometry(const QRect& geometry);
    void SetLayerID(unsigned int id);

    bool GetUndoImage(KXImage32& image, QRect& rect) const;
    bool GetRedoImage(KXImage32& image, QRect& rect) const;
    bool GetUndoGeometry(QRect& geometry) const;
    bool GetRedoGeometry(QRect& geometry) const;
    bool GetLayerID(unsigned int& id) const;

    bool Serialize(IWriter* writer) override;
    // A record that cannot be read whole is dropped, so the getters fail.
    bool Deserialize(IReader* reader) override;
    void ReleaseSerializeData() override;

private:
    struct Record;
    Record& Ensure();

    std::unique_ptr<Record> m_record;
};

#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>

#include "KXImage.h"
#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class PaintCommandData;

// A stroke on one image of a layer (its pixels or its mask). Redo writes the
// stroke's pixels into the image; when the stroke reached outside the image,
// the image first grows to the union of both rectangles and moves to its
// top-left. Undo writes the old pixels back and shrinks the image to its old
// rectangle. Pixels are read and written only under the layer's lock; the
// document's notices and the repositioning come after the lock is released.
//
// With firstRedo false the application has already painted the stroke: the
// first redo only announces the change and counts it; later ones repaint.
//
// The subclasses say which image the stroke went into.
//
// Owned by the undo stack once pushed; holds its document without owning it;
// its data belongs to the stack's serializer after the push. Use it on the GUI thread.
class VORNHISTORY_EXPORT PaintCommand : public VornCommand
{
public:
    KXDocumentInterface* GetDocument() const { return m_document; }
    // False until the first redo has run (or from the start, when built with true).
    bool GetFirstRedo() const { return m_firstRedo; }

protected:
    PaintCommand(KXDocumentInterface* document, bool firstRedo);

    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

    // The data when it is of the subclass's type, else null.
    virtual PaintCommandData* CastData(VornCommandData* data) const = 0;
    // The image painted (null when the layer has none) and its document rectangle.
    virtual KXImage32* Target(unsigned int id) const = 0;
    virtual QRect TargetGeometry(unsigned int id) const = 0;
    // Places the image's top-left pixel at the point.
    virtual void PlaceTarget(unsigned int id, const QPoint& position) const = 0;
    // Tells the document that the image's pixels changed.
    virtual void TargetChanged(unsigned int id) const = 0;
    // The image that replaces the target when it grows (growing true) or
    // shrinks back; every pixel outside the copied areas keeps its fill.
    virtual KXImage32 NewTarget(unsigned int id, const QSize& size, bool growing) const = 0;

private:
    // Writes pixels over documentRect of the image, whose top-left is at origin;
    // false after reporting when the layer has no such image.
    bool PaintInPlace(unsigned int id, const KXImage32& pixels, const QRect& pixelsRect, const QRect& documentRect,
                      const QPoint& origin);
    // Replaces the image by one covering newRect, filled from the current image
    // by fill, and places it; false after reporting when there is no image.
    bool Resize(unsigned int id, const QRect& newRect, bool growing, const QRect& viewRect,
                const std::function<void(const KXImage32&, KXImage32&)>& fill);

    KXDocumentInterface* m_document;
    bool m_firstRedo;
};

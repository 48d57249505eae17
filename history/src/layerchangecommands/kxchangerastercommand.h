#pragma once

#include <QPoint>
#include <QRect>

#include "KXImage.h"
#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// Replaces one image of a layer (its pixels or its mask) whole, with the
// image and position stored for either side (data: KXChangeRasterData). The
// image is swapped under the layer's write lock; placing, redrawing (the
// union of the old and new rectangles) and the change notice follow.
//
// With firstRedo false the application has already changed the image: the
// first redo only sends the change notice and counts it.
//
// The subclasses say which image is replaced.
// Owned by the undo stack once pushed; holds its document without owning it; its data
// belongs to the stack's serializer after the push. Use it on the GUI thread, which
// owns the stack and the document.
class VORNHISTORY_EXPORT KXChangeRasterCommand : public VornCommand
{
public:
    KXDocumentInterface* GetDocument() const { return m_document; }
    // False until the first redo has run (or from the start, when built with true).
    bool GetFirstRedo() const { return m_firstRedo; }

protected:
    KXChangeRasterCommand(KXDocumentInterface* document, bool firstRedo);

    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

    // The image replaced (null when the layer has none) and its document rectangle.
    virtual KXImage32* Target(unsigned int id) const = 0;
    virtual QRect TargetGeometry(unsigned int id) const = 0;
    // Places the image's top-left pixel at the point.
    virtual void PlaceTarget(unsigned int id, const QPoint& position) const = 0;
    // Whether the view shows the image (a disabled mask does not).
    virtual bool TargetVisible(unsigned int id) const = 0;
    // Tells the document that the image changed.
    virtual void TargetChanged(unsigned int id) const = 0;

private:
    // Puts the stored image of one side in place and moves the counter by one.
    void Apply(VornCommandData* data, bool redo);

    KXDocumentInterface* m_document;
    bool m_firstRedo;
};

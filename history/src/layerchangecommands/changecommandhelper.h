#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QTransform>

#include "vornhistory_export.h"

class CropCommandData;
class KXColorTransformBase;
class KXDocumentInterface;
class KXDocumentModel;
class QBrush;
class QFont;
class QItemSelectionModel;
class QMatrix4x4;
class QPoint;
class VornUndoStack;

// The composite edits of an editor in one call each: every function reads
// what it needs from the document, builds the command or commands with
// their data and pushes them (two of them as one macro). Without a stack
// each command instead runs once (its redo, in push order) and is deleted,
// so the document changes without history.
// Stateless and owns nothing: each command built goes to the stack (or is deleted
// after its one redo); the document, models, selection and stack are only used.
// Call it on the GUI thread, the thread that owns the stack and the document.
class VORNHISTORY_EXPORT ChangeCommandHelper
{
public:
    ChangeCommandHelper() = delete;

    // Merges the layers (at least two, none of them id 0) into one raster
    // layer at the lowest id: a "Merge layers" macro of the removal of every
    // listed layer, then the insertion of their composition.
    static bool MakeMergeCommand(const QList<unsigned int>& layers, QItemSelectionModel* selection,
                                 KXDocumentModel* model, VornUndoStack* stack);

    // A copy of a raster, text or adjustment layer (not id 0), with the given
    // name, opacity and blend mode, inserted at the layer's own id. A layer of
    // another type is reported and refused.
    static bool MakeDuplicateLayerCommand(unsigned int layer, const QString& name, double opacity,
                                          unsigned int blendMode, QItemSelectionModel* selection,
                                          KXDocumentModel* model, VornUndoStack* stack);
    // A copy of a layer of one document inserted at targetLayer of another;
    // a raster layer's pixels go through the colour transform when one is
    // given (masks and text are not converted).
    static bool MakeDuplicateLayerCommand(unsigned int sourceLayer, unsigned int targetLayer, const QString& name,
                                          double opacity, unsigned int blendMode, QItemSelectionModel* selection,
                                          KXDocumentModel* sourceModel, KXDocumentModel* targetModel,
                                          VornUndoStack* stack, KXColorTransformBase* colorTransform);

    // Crops the document to newSize through the transform, under the wait
    // cursor. Refused for a size out of range or for the canvas size with an
    // identity transform. A document with a selection first drops it: a
    // macro (text, icon) of a selection change, then the crop.
    static bool MakeCropCommand(KXDocumentInterface* document, const QString& text, const QTransform& transform,
                                const QSize& newSize, bool keepOutside, bool bicubic, VornUndoStack* stack,
                                const QString& icon);

    // A new text layer typed as a live edit: the command is registered with
    // pushDelayed (without a stack the state counter is raised instead) and
    // the empty text layer is made and rendered in the document at once; the
    // host then types into it and commits.
    static bool MakeNewTextCommand(VornUndoStack* stack, KXDocumentModel* model, QItemSelectionModel* selection,
                                   unsigned int layer, const QString& text, const QString& name, const QFont& font,
                                   const QBrush& brush, const QPoint& position, int style, int renderMode,
                                   double hDistortion, double vDistortion, double bend, bool orientation,
                                   const QMatrix4x4& transformation, unsigned int blendMode, double opacity,
                                   unsigned int locks);

    // A change of a text layer as a live edit: the layer's current attributes
    // are its undo values. Nothing without a stack.
    static bool MakeChangeTextLayerCommand(VornUndoStack* stack, KXDocumentInterface* document, unsigned int layer,
                                           const QString& text, const QString& icon);

    // Removes a layer; without a stack directly in the document, raising the
    // state counter by one.
    static bool RemoveLayer(VornUndoStack* stack, KXDocumentInterface* document, QItemSelectionModel* selection,
                            unsigned int layer, const QString& text, const QString& icon);

    // Replaces a (text) layer by a raster layer with its pixels, mask and
    // properties: a macro of the removal, then the creation.
    static bool MakeRasterLayerFromTextLayer(VornUndoStack* stack, KXDocumentModel* model,
                                             QItemSelectionModel* selection, unsigned int layer,
                                             const QString& text);

    // The placement a text layer gets from the crop transform: its own text
    // transform, moved so that its rendering's mapped rectangle starts at the
    // origin, then the crop transform. The crop transform itself when the
    // layer has no text transform.
    static QTransform MakeFullTransform(KXDocumentInterface* document, unsigned int layer,
                                        const QTransform& transform);

    // Fills a crop's data from the document: the canvas size, the crop
    // (transform, new size, flags), a copy of every layer above the bottom
    // one (pixels, rectangle, text placement, mask; each read under the
    // layer's read lock) and of every path. False, data untouched, without a
    // document.
    static bool FillCropData(KXDocumentInterface* document, const QTransform& transform, const QSize& newSize,
                             bool keepOutside, bool bicubic, CropCommandData& data);
};

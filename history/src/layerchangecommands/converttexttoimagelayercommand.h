#pragma once

#include <QString>

#include "textlayerchangecommanddata.h"
#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class QItemSelectionModel;

// Turns a text layer into a raster layer with the same pixels (the document
// converts it), and on undo back into the text layer it was: the text
// attributes and name saved when the command was built, and the pixels and
// position the layer has at the moment of the undo (so painting done on the
// raster layer survives the undo). Opacity, blend mode, visibility, locks and
// the mask are kept through the undo too. Its data (a
// LayerDuplicateCommandData holding the layer id) keeps the layer panel's
// selection: each execution re-selects the rows the previous one found.
//
// A conversion the document refuses is reported; the execution still swaps
// the panel selection and moves the counter, and the undo that follows leaves
// the layer alone.
// Owned by the undo stack once pushed; holds its document and the selection model
// without owning them; the data its constructor made belongs to the stack's serializer
// after the push. Use it on the GUI thread, which owns the stack and the document.
class VORNHISTORY_EXPORT ConvertTextToImageLayerCommand : public VornCommand
{
public:
    // The document and the selection model are not owned and may be null.
    ConvertTextToImageLayerCommand(
        KXDocumentInterface* document, unsigned int layerId, QItemSelectionModel* selectionModel);
    ~ConvertTextToImageLayerCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    // Reads the text attributes and the name to restore at undo.
    void PrepareUndoData();
    void RestoreTextLayer();

    KXDocumentInterface* m_document;
    unsigned int m_layerId;
    TextLayerAttributes m_text;
    QString m_name;
    bool m_converted = false;
};

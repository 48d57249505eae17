#pragma once

#include "bicubicresize.h"
#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// Changes the document's resolution and, when the data says so, resamples
// the whole document to a new pixel size (data: ImageSizeCommandData): every
// raster layer and its mask by one scale, their positions, the paths, the
// canvas; the selection is dropped. Undo puts back the saved pixels,
// positions, paths, selection, canvas size and resolution. Text and
// adjustment layers stay as they are.
//
// Owned by the undo stack once pushed; holds its document without owning it;
// its data belongs to the stack's serializer after the push. Use it on the GUI thread.
class VORNHISTORY_EXPORT ImageSizeCommand : public VornCommand
{
public:
    // The document is not owned.
    explicit ImageSizeCommand(KXDocumentInterface* document);
    ~ImageSizeCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    void Execute(VornCommandData* data, bool redo);
    void Redo(const class ImageSizeCommandData& data);
    void Undo(const class ImageSizeCommandData& data);

    KXDocumentInterface* m_document;
};

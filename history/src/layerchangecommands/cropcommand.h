#pragma once

#include <QRect>
#include <QTransform>

#include "KXImage.h"
#include "vorncommand.h"
#include "vornhistory_export.h"

class CropCommandData;
class KXDocumentInterface;

// Crops the document (data: CropCommandData): gives it a new canvas size and
// carries every layer, mask and path through the crop transform. Raster
// layers and masks are resampled (nearest neighbour or bicubic) and, unless
// the data keeps what falls outside, clipped to the new canvas; text layers
// are re-rendered with the transform. Undo puts back the stored copies of
// every layer, mask and path and the old canvas size.
//
// Redo works on the document as it stands (after an undo: as before the
// crop); only text layers take their rectangle from the data.
// Owned by the undo stack once pushed; holds its document without owning it; its data
// belongs to the stack's serializer after the push. Use it on the GUI thread, which
// owns the stack and the document.
class VORNHISTORY_EXPORT CropCommand : public VornCommand
{
public:
    // The document is not owned and may be null (every execution then reports).
    explicit CropCommand(KXDocumentInterface* document);
    ~CropCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    // The data when it is a CropCommandData and there is a document; reports otherwise.
    const CropCommandData* CheckedData(VornCommandData* data) const;

    void RedoText(const CropCommandData& data, unsigned int layer, const QTransform& transform);
    void UndoRaster(const CropCommandData& data, unsigned int layer);
    void UndoAdjustment(const CropCommandData& data, unsigned int layer);
    void UndoText(const CropCommandData& data, unsigned int layer);
    // Puts a stored mask back and places it (nothing when the record has no mask).
    void RestoreMask(unsigned int layer, bool hasMask, const QRect& maskRect, const KXImage32& mask);

    KXDocumentInterface* m_document;
};

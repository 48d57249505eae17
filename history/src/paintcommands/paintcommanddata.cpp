#include "paintcommanddata.h"

namespace {

QRect RectOrFull(const KXImage32& image, const QRect& rect)
{
    return rect.isEmpty() ? image.GetRect() : rect;
}

} // namespace

void PaintCommandData::SetUndoImage(const KXImage32& image, const QRect& rect)
{
    PaintCommandRecord& record = EditRecord();
    record.undoImage = image;
    record.undoImageRect = RectOrFull(image, rect);
}

void PaintCommandData::SetRedoImage(const KXImage32& image, const QRect& rect)
{
    PaintCommandRecord& record = EditRecord();
    record.redoImage = image;
    record.redoImageRect = RectOrFull(image, rect);
}

bool PaintCommandData::GetUndoImage(KXImage32& image, QRect& rect) const
{
    if (!GetRecord())
        return false;
    image = GetRecord()->undoImage;
    rect = GetRecord()->undoImageRect;
    return true;
}

bool PaintCommandData::GetRedoImage(KXImage32& image, QRect& rect) const
{
    if (!GetRecord())
        return false;
    image = GetRecord()->redoImage;
    rect = GetRecord()->redoImageRect;
    return true;
}

bool PaintCommandData::GetLayerID(unsigned int& id) const
{
    if (!GetRecord())
        return false;
    id = unsigned(GetRecord()->layerId);
    return true;
}

#include "paintcommanddata.h"

#include "ireader.h"
#include "iwriter.h"

struct PaintCommandData::Record
{
    KXImage32 undoImage;
    KXImage32 redoImage;
    QRect undoGeometry;
    QRect redoGeometry;
    QRect undoImageRect;
    QRect redoImageRect;
    unsigned int layerId = 0;
};

namespace {

QRect RectOrFull(const KXImage32& image, const QRect& rect)
{
    return rect.isEmpty() ? image.GetRect() : rect;
}

} // namespace

PaintCommandData::PaintCommandData() = default;

PaintCommandData::~PaintCommandData() = default;

PaintCommandData::Record& PaintCommandData::Ensure()
{
    if (!m_record)
        m_record.reset(new Record);
    return *m_record;
}

void PaintCommandData::SetUndoImage(const KXImage32& image, const QRect& rect)
{
    Record& record = Ensure();
    record.undoImage = image;
    record.undoImageRect = RectOrFull(image, rect);
}

void PaintCommandData::SetRedoImage(const KXImage32& image, const QRect& rect)
{
    Record& record = Ensure();
    record.redoImage = image;
    record.redoImageRect = RectOrFull(image, rect);
}

void PaintCommandData::SetUndoGeometry(const QRect& geometry)
{
    Ensure().undoGeometry = geometry;
}

void PaintCommandData::SetRedoGeometry(const QRect& geometry)
{
    Ensure().redoGeometry = geometry;
}

void PaintCommandData::SetLayerID(unsigned int id)
{
    Ensure().layerId = id;
}

bool PaintCommandData::GetUndoImage(KXImage32& image, QRect& rect) const
{
    if (!m_record)
        return false;
    image = m_record->undoImage;
    rect = m_record->undoImageRect;
    return true;
}

bool PaintCommandData::GetRedoImage(KXImage32& image, QRect& rect) const
{
    if (!m_record)
        return false;
    image = m_record->redoImage;
    rect = m_record->redoImageRect;
    return true;
}

bool PaintCommandData::GetUndoGeometry(QRect& geometry) const
{
    if (!m_record)
        return false;
    geometry = m_record->undoGeometry;
    return true;
}

bool PaintCommandData::GetRedoGeometry(QRect& geometry) const
{
    if (!m_record)
        return false;
    geometry = m_record->redoGeometry;
    return true;
}

bool PaintCommandData::GetLayerID(unsigned int& id) const
{
    if (!m_record)
        return false;
    id = m_record->layerId;
    return true;
}

bool PaintCommandData::Serialize(IWriter* writer)
{
    if (!writer || !m_record)
        return false;
    const Record& r = *m_record;
    bool ok = writer->WriteKXImage(r.undoImage);
    ok = writer->WriteKXImage(r.redoImage) && ok;
    ok = writer->WriteRect(r.undoGeometry) && ok;
    ok = writer->WriteRect(r.redoGeometry) && ok;
    ok = writer->WriteRect(r.undoImageRect) && ok;
    ok = writer->WriteRect(r.redoImageRect) && ok;
    ok = writer->WriteInt(int(r.layerId)) && ok;
    return ok;
}

bool PaintCommandData::Deserialize(IReader* reader)
{
    if (!reader)
        return false;
    Record& r = Ensure();
    int layerId = 0;
    bool ok = reader->ReadKXImage(r.undoImage);
    ok = reader->ReadKXImage(r.redoImage) && ok;
    ok = reader->ReadRect(r.undoGeometry) && ok;
    ok = reader->ReadRect(r.redoGeometry) && ok;
    ok = reader->ReadRect(r.undoImageRect) && ok;
    ok = reader->ReadRect(r.redoImageRect) && ok;
    ok = reader->ReadInt(layerId) && ok;
    r.layerId = unsigned(layerId);
    if (!ok)
        m_record.reset();
    return ok;
}

void PaintCommandData::ReleaseSerializeData()
{
    m_record.reset();
}

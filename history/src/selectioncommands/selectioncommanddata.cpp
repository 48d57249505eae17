#include "selectioncommanddata.h"

#include "ireader.h"
#include "iwriter.h"

SelectionCommandData::SelectionCommandData() = default;

SelectionCommandData::~SelectionCommandData() = default;

SelectionCommandData::Record& SelectionCommandData::EnsureRecord()
{
    if (!m_record)
        m_record = std::make_unique<Record>();
    return *m_record;
}

void SelectionCommandData::SetSelectionGeometry(const QPainterPath& geometry)
{
    EnsureRecord().geometry = geometry;
}

void SelectionCommandData::SetSelectionOp(LogicalOp op)
{
    EnsureRecord().op = op;
}

void SelectionCommandData::SetUndoSel(const QPoint& offset, const KXImage32& mask)
{
    if (!m_record)
        return;
    m_record->undoOffset = offset;
    m_record->undoMask = mask;
}

bool SelectionCommandData::GetUndoSel(QPoint& offset, KXImage32& mask) const
{
    if (!m_record)
        return false;
    offset = m_record->undoOffset;
    mask = m_record->undoMask;
    return true;
}

const QPainterPath* SelectionCommandData::GetGeometry() const
{
    return m_record ? &m_record->geometry : nullptr;
}

const SelectionCommandData::LogicalOp* SelectionCommandData::GetSelectionOp() const
{
    return m_record ? &m_record->op : nullptr;
}

bool SelectionCommandData::Serialize(IWriter* writer)
{
    if (!writer || !m_record)
        return false;
    const bool opWritten = writer->WriteInt(m_record->op);
    const bool maskWritten = writer->WriteKXImage(m_record->undoMask);
    const bool offsetWritten = writer->WritePoint(m_record->undoOffset);
    const bool geometryWritten = writer->WritePainterPath(m_record->geometry);
    return opWritten && maskWritten && offsetWritten && geometryWritten;
}

bool SelectionCommandData::Deserialize(IReader* reader)
{
    if (!reader)
        return false;
    Record& record = EnsureRecord();
    int op = record.op;
    const bool opRead = reader->ReadInt(op);
    record.op = LogicalOp(op);
    const bool maskRead = reader->ReadKXImage(record.undoMask);
    const bool offsetRead = reader->ReadPoint(record.undoOffset);
    const bool geometryRead = reader->ReadPainterPath(record.geometry);
    return opRead && maskRead && offsetRead && geometryRead;
}

void SelectionCommandData::ReleaseSerializeData()
{
    m_record.reset();
}

unsigned int SelectionCommandData::GetDataType() const
{
    return Type;
}

SelectionCommandData* selectiondata_cast(VornCommandData* data)
{
    if (!data || data->GetDataType() != SelectionCommandData::Type)
        return nullptr;
    return static_cast<SelectionCommandData*>(data);
}

#include "mwselectioncommanddata.h"

#include <QtEndian>

#include "ireader.h"
#include "iwriter.h"

MWSelectionCommandData::MWSelectionCommandData() = default;

MWSelectionCommandData::~MWSelectionCommandData() = default;

MWSelectionCommandData::Record& MWSelectionCommandData::EnsureRecord()
{
    if (!m_record)
        m_record = std::make_unique<Record>();
    return *m_record;
}

void MWSelectionCommandData::SetNoUndoSelection(bool noUndoSelection)
{
    EnsureRecord().noUndoSelection = noUndoSelection;
}

void MWSelectionCommandData::SetUndoSel(const QPoint& offset, const KXImage32& mask)
{
    Record& record = EnsureRecord();
    record.undoOffset = offset;
    record.undoMask = mask;
}

void MWSelectionCommandData::SetRedoSel(const QPoint& offset, const KXImage32& mask, LogicalOp op)
{
    Record& record = EnsureRecord();
    record.redoOffset = offset;
    record.redoMask = mask;
    record.op = op;
}

bool MWSelectionCommandData::GetUndoSel(QPoint& offset, KXImage32& mask) const
{
    if (!m_record)
        return false;
    offset = m_record->undoOffset;
    mask = m_record->undoMask;
    return true;
}

bool MWSelectionCommandData::GetRedoSel(QPoint& offset, KXImage32& mask, LogicalOp& op) const
{
    if (!m_record)
        return false;
    offset = m_record->redoOffset;
    mask = m_record->redoMask;
    op = m_record->op;
    return true;
}

bool MWSelectionCommandData::GetHasUndoSelection() const
{
    return m_record && !m_record->noUndoSelection;
}

bool MWSelectionCommandData::Serialize(IWriter* writer)
{
    if (!writer || !m_record)
        return false;
    const bool redoMaskWritten = writer->WriteKXImage(m_record->redoMask);
    const bool redoOffsetWritten = writer->WritePoint(m_record->redoOffset);
    const bool undoMaskWritten = writer->WriteKXImage(m_record->undoMask);
    const bool undoOffsetWritten = writer->WritePoint(m_record->undoOffset);
    const char flag = m_record->noUndoSelection ? 1 : 0;
    const bool flagWritten = writer->WriteRawData(&flag, 1) == 1;
    char op[4];
    qToLittleEndian<qint32>(m_record->op, op);
    const bool opWritten = writer->WriteRawData(op, 4) == 4;
    return redoMaskWritten && redoOffsetWritten && undoMaskWritten && undoOffsetWritten && flagWritten && opWritten;
}

bool MWSelectionCommandData::Deserialize(IReader* reader)
{
    if (!reader)
        return false;
    Record& record = EnsureRecord();
    const bool redoMaskRead = reader->ReadKXImage(record.redoMask);
    const bool redoOffsetRead = reader->ReadPoint(record.redoOffset);
    const bool undoMaskRead = reader->ReadKXImage(record.undoMask);
    const bool undoOffsetRead = reader->ReadPoint(record.undoOffset);
    char flag = 0;
    const bool flagRead = reader->ReadRawData(&flag, 1) == 1;
    if (flagRead)
        record.noUndoSelection = flag != 0;
    char op[4] = {0, 0, 0, 0};
    const bool opRead = reader->ReadRawData(op, 4) == 4;
    if (opRead)
        record.op = LogicalOp(qFromLittleEndian<qint32>(op));
    return redoMaskRead && redoOffsetRead && undoMaskRead && undoOffsetRead && flagRead && opRead;
}

void MWSelectionCommandData::ReleaseSerializeData()
{
    m_record.reset();
}

unsigned int MWSelectionCommandData::GetDataType() const
{
    return Type;
}

MWSelectionCommandData* mwselectiondata_cast(VornCommandData* data)
{
    if (!data || data->GetDataType() != MWSelectionCommandData::Type)
        return nullptr;
    return static_cast<MWSelectionCommandData*>(data);
}

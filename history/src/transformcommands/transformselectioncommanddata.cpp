#include "transformselectioncommanddata.h"

#include <exception>

#include "KXErrorReport.h"

void TransformSelectionCommandData::SetUndoImage(const KXImage32& mask, const QPoint& offset)
{
    Record& record = EditRecord();
    record.undoMask = mask;
    record.undoOffset = offset;
}

bool TransformSelectionCommandData::GetUndoImage(KXImage32& mask, QPoint& offset) const
{
    const Record* record = GetRecord();
    if (!record)
        return false;
    mask = record->undoMask;
    offset = record->undoOffset;
    return true;
}

const QTransform* TransformSelectionCommandData::GetTransform() const
{
    const Record* record = GetRecord();
    return record ? &record->transform : nullptr;
}

bool TransformSelectionCommandData::Serialize(IWriter* writer)
{
    try {
        return VornRecordData::Serialize(writer);
    } catch (const std::exception& exception) {
        VORN_REPORT_EXCEPTION(exception);
        return false;
    } catch (...) {
        VORN_REPORT_UNKNOWN_EXCEPTION();
        throw;
    }
}

bool TransformSelectionCommandData::Deserialize(IReader* reader)
{
    try {
        return VornRecordData::Deserialize(reader);
    } catch (const std::exception& exception) {
        VORN_REPORT_EXCEPTION(exception);
        return false;
    } catch (...) {
        VORN_REPORT_UNKNOWN_EXCEPTION();
        throw;
    }
}

TransformSelectionCommandData* transformselectioncommanddata_cast(VornCommandData* data)
{
    return VornDataCast<TransformSelectionCommandData>(data);
}

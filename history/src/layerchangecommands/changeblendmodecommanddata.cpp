#include "changeblendmodecommanddata.h"

#include "ireader.h"
#include "iwriter.h"

ChangeBlendModeCommandData::ChangeBlendModeCommandData() = default;

ChangeBlendModeCommandData::~ChangeBlendModeCommandData() = default;

ChangeBlendModeCommandData::Record& ChangeBlendModeCommandData::EnsureRecord()
{
    if (!m_record)
        m_record = std::make_unique<Record>();
    return *m_record;
}

void ChangeBlendModeCommandData::SetOldMode(unsigned int mode)
{
    EnsureRecord().oldMode = mode;
}

void ChangeBlendModeCommandData::SetNewMode(unsigned int mode)
{
    EnsureRecord().newMode = mode;
}

void ChangeBlendModeCommandData::SetLayerNuber(unsigned int layer)
{
    EnsureRecord().layer = layer;
}

bool ChangeBlendModeCommandData::GetOldMode(unsigned int& mode) const
{
    if (!m_record)
        return false;
    mode = m_record->oldMode;
    return true;
}

bool ChangeBlendModeCommandData::GetNewMode(unsigned int& mode) const
{
    if (!m_record)
        return false;
    mode = m_record->newMode;
    return true;
}

bool ChangeBlendModeCommandData::GetLayerNumber(unsigned int& layer) const
{
    if (!m_record)
        return false;
    layer = m_record->layer;
    return true;
}

bool ChangeBlendModeCommandData::Serialize(IWriter* writer)
{
    if (!writer || !m_record)
        return false;
    const bool oldWritten = writer->WriteUInt(m_record->oldMode);
    const bool newWritten = writer->WriteUInt(m_record->newMode);
    const bool layerWritten = writer->WriteUInt(m_record->layer);
    return oldWritten && newWritten && layerWritten;
}

bool ChangeBlendModeCommandData::Deserialize(IReader* reader)
{
    if (!reader)
        return false;
    Record& record = EnsureRecord();
    const bool oldRead = reader->ReadUInt(record.oldMode);
    const bool newRead = reader->ReadUInt(record.newMode);
    const bool layerRead = reader->ReadUInt(record.layer);
    return oldRead && newRead && layerRead;
}

void ChangeBlendModeCommandData::ReleaseSerializeData()
{
    m_record.reset();
}

unsigned int ChangeBlendModeCommandData::GetDataType() const
{
    return Type;
}

ChangeBlendModeCommandData* changeblenddata_cast(VornCommandData* data)
{
    if (!data || data->GetDataType() != ChangeBlendModeCommandData::Type)
        return nullptr;
    return static_cast<ChangeBlendModeCommandData*>(data);
}

#include "changeopacitycommanddata.h"

#include "ireader.h"
#include "iwriter.h"

ChangeOpacityCommandData::ChangeOpacityCommandData() = default;

ChangeOpacityCommandData::~ChangeOpacityCommandData() = default;

ChangeOpacityCommandData::Record& ChangeOpacityCommandData::EnsureRecord()
{
    if (!m_record)
        m_record = std::make_unique<Record>();
    return *m_record;
}

void ChangeOpacityCommandData::SetOldOpacity(double opacity)
{
    EnsureRecord().oldOpacity = opacity;
}

void ChangeOpacityCommandData::SetNewOpacity(double opacity)
{
    EnsureRecord().newOpacity = opacity;
}

void ChangeOpacityCommandData::SetLayerNuber(unsigned int layer)
{
    EnsureRecord().layer = layer;
}

bool ChangeOpacityCommandData::GetOldOpacity(double& opacity) const
{
    if (!m_record)
        return false;
    opacity = m_record->oldOpacity;
    return true;
}

bool ChangeOpacityCommandData::GetNewOpacity(double& opacity) const
{
    if (!m_record)
        return false;
    opacity = m_record->newOpacity;
    return true;
}

bool ChangeOpacityCommandData::GetLayerNumber(unsigned int& layer) const
{
    if (!m_record)
        return false;
    layer = m_record->layer;
    return true;
}

bool ChangeOpacityCommandData::Serialize(IWriter* writer)
{
    if (!writer || !m_record)
        return false;
    const bool oldWritten = writer->WriteQReal(m_record->oldOpacity);
    const bool newWritten = writer->WriteQReal(m_record->newOpacity);
    const bool layerWritten = writer->WriteUInt(m_record->layer);
    return oldWritten && newWritten && layerWritten;
}

bool ChangeOpacityCommandData::Deserialize(IReader* reader)
{
    if (!reader)
        return false;
    Record& record = EnsureRecord();
    const bool oldRead = reader->ReadQReal(record.oldOpacity);
    const bool newRead = reader->ReadQReal(record.newOpacity);
    const bool layerRead = reader->ReadUInt(record.layer);
    return oldRead && newRead && layerRead;
}

void ChangeOpacityCommandData::ReleaseSerializeData()
{
    m_record.reset();
}

unsigned int ChangeOpacityCommandData::GetDataType() const
{
    return Type;
}

ChangeOpacityCommandData* changeopacitydata_cast(VornCommandData* data)
{
    if (!data || data->GetDataType() != ChangeOpacityCommandData::Type)
        return nullptr;
    return static_cast<ChangeOpacityCommandData*>(data);
}

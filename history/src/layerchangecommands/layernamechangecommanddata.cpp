#include "layernamechangecommanddata.h"

#include "ireader.h"
#include "iwriter.h"

LayerNameChangeCommandData::LayerNameChangeCommandData() = default;

LayerNameChangeCommandData::~LayerNameChangeCommandData() = default;

LayerNameChangeCommandData::Record& LayerNameChangeCommandData::EnsureRecord()
{
    if (!m_record)
        m_record = std::make_unique<Record>();
    return *m_record;
}

void LayerNameChangeCommandData::SetOldName(const QString& name)
{
    EnsureRecord().oldName = name;
}

void LayerNameChangeCommandData::SetNewName(const QString& name)
{
    EnsureRecord().newName = name;
}

void LayerNameChangeCommandData::SetLayerID(unsigned int id)
{
    EnsureRecord().id = id;
}

bool LayerNameChangeCommandData::GetOldName(QString& name) const
{
    if (!m_record)
        return false;
    name = m_record->oldName;
    return true;
}

bool LayerNameChangeCommandData::GetNewName(QString& name) const
{
    if (!m_record)
        return false;
    name = m_record->newName;
    return true;
}

bool LayerNameChangeCommandData::GetLayerID(unsigned int& id) const
{
    if (!m_record)
        return false;
    id = m_record->id;
    return true;
}

bool LayerNameChangeCommandData::Serialize(IWriter* writer)
{
    if (!writer || !m_record)
        return false;
    const bool oldWritten = writer->WriteString(m_record->oldName);
    const bool newWritten = writer->WriteString(m_record->newName);
    const bool idWritten = writer->WriteUInt(m_record->id);
    return oldWritten && newWritten && idWritten;
}

bool LayerNameChangeCommandData::Deserialize(IReader* reader)
{
    if (!reader)
        return false;
    Record& record = EnsureRecord();
    const bool oldRead = reader->ReadString(record.oldName);
    const bool newRead = reader->ReadString(record.newName);
    const bool idRead = reader->ReadUInt(record.id);
    return oldRead && newRead && idRead;
}

void LayerNameChangeCommandData::ReleaseSerializeData()
{
    m_record.reset();
}

unsigned int LayerNameChangeCommandData::GetDataType() const
{
    return Type;
}

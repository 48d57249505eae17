#include "vorncommanddataserializer.h"

#include "serializerworkobject.h"

const unsigned int VornCommandDataSerializer::sBAD_INDEX = 0xFFFFFFFF;

VornCommandDataSerializer::VornCommandDataSerializer(QObject* parent)
    : QObject(parent)
    , m_workObject(new WorkObject(this))
{
}

VornCommandDataSerializer::~VornCommandDataSerializer()
{
    delete m_workObject;
    m_workObject = nullptr;
}

unsigned int VornCommandDataSerializer::AddData(VornCommandData* data)
{
    return m_workObject ? m_workObject->AddData(data) : sBAD_INDEX;
}

VornCommandData* VornCommandDataSerializer::GetData(unsigned int index)
{
    return m_workObject ? m_workObject->GetData(index) : nullptr;
}

void VornCommandDataSerializer::Serialize(unsigned int index)
{
    if (m_workObject)
        m_workObject->Serialize(index);
}

void VornCommandDataSerializer::RemoveData(unsigned int index)
{
    if (m_workObject)
        m_workObject->RemoveData(index);
}

void VornCommandDataSerializer::SetTemporaryFolder(const QDir& folder)
{
    if (m_workObject)
        m_workObject->SetTemporaryFolder(folder);
}

void VornCommandDataSerializer::SetMemoryBudget(qint64 bytes)
{
    m_workObject->SetMemoryBudget(bytes);
}

qint64 VornCommandDataSerializer::GetMemoryBudget() const
{
    return m_workObject->GetMemoryBudget();
}

QDir VornCommandDataSerializer::GetTemporaryFolder() const
{
    return m_workObject ? m_workObject->GetTemporaryFolder() : QDir();
}

int VornCommandDataSerializer::GetDataCount() const
{
    return m_workObject ? m_workObject->GetDataCount() : 0;
}

int VornCommandDataSerializer::GetCancelledWrites() const
{
    return m_workObject ? m_workObject->GetCancelledWrites() : 0;
}

void VornCommandDataSerializer::WaitForIdle()
{
    if (m_workObject)
        m_workObject->WaitForIdle();
}

VornCommandDataSerializer::DataBytes VornCommandDataSerializer::GetDataBytes(unsigned int index) const
{
    return m_workObject ? m_workObject->GetDataBytes(index) : DataBytes();
}

VornCommandDataSerializer::UnwrittenData VornCommandDataSerializer::GetUnwrittenData() const
{
    return m_workObject ? m_workObject->GetUnwrittenData() : UnwrittenData();
}

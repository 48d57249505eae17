#include "vorncommand.h"

#include "vorncommanddata.h"
#include "vorncommanddataserializer.h"

QMap<QString, QImage> VornCommand::m_iconMap;

VornCommand::VornCommand()
    : m_iconName(QStringLiteral("default"))
{
}

VornCommand::~VornCommand()
{
    if (m_commandData)
        delete m_commandData;
    else if (m_serializer)
        m_serializer->RemoveData(m_dataIndex);
}

void VornCommand::undo()
{
    if (!m_serializer)
        return;
    VornCommandData* data = m_serializer->GetData(m_dataIndex);
    UndoExecute(data);
    m_serializer->Serialize(m_dataIndex);
}

void VornCommand::redo()
{
    if (!m_serializer)
        return;
    VornCommandData* data = m_serializer->GetData(m_dataIndex);
    RedoExecute(data);
    m_serializer->Serialize(m_dataIndex);
}

void VornCommand::undoExec(VornCommandData* data)
{
    UndoExecute(data);
}

void VornCommand::redoExec(VornCommandData* data)
{
    RedoExecute(data);
}

bool VornCommand::SetCommandData(VornCommandData* data)
{
    if (m_commandData != data)
        delete m_commandData;
    m_commandData = data;
    return true;
}

bool VornCommand::SetSerializer(VornCommandDataSerializer* serializer)
{
    if (!serializer || m_serializer)
        return false;
    m_serializer = serializer;
    EndTransaction(m_commandData);
    m_dataIndex = serializer->AddData(m_commandData);
    if (m_dataIndex == VornCommandDataSerializer::sBAD_INDEX)
        return false;
    m_commandData = nullptr;
    return true;
}

void VornCommand::SetIcon(const QString& name)
{
    m_iconName = name;
}

QString VornCommand::GetIcon() const
{
    return m_iconName;
}

void VornCommand::SetIcon(const QString& name, const QImage& image)
{
    m_iconMap.insert(name, image);
}

QImage VornCommand::GetIcon(const QString& name)
{
    return m_iconMap.value(name);
}

void VornCommand::EndTransaction(VornCommandData*)
{
}

void VornCommand::BeginTransaction()
{
}

#include "KXStyleProxy.h"

KXStyleProxy::KXStyleProxy(QObject* parent)
    : QAbstractListModel(parent)
{
}

KXStyleProxy::~KXStyleProxy() = default;

QString KXStyleProxy::GetStyleName() const
{
    return m_name;
}

void KXStyleProxy::SetStyleName(const QString& name)
{
    if (name == m_name)
        return;
    m_name = name;
    emit styleNameChanged(name);
}

QString KXStyleProxy::GetStyleUID() const
{
    return m_uid;
}

void KXStyleProxy::SetStyleUID(const QString& uid)
{
    if (uid == m_uid)
        return;
    m_uid = uid;
    emit styleUIDChanged(uid);
}

void KXStyleProxy::AddEffect(const QString& uid, const QByteArray& data, bool enabled)
{
    InsertEffect(m_effects.size(), uid, data, enabled);
}

bool KXStyleProxy::InsertEffect(int row, const QString& uid, const QByteArray& data, bool enabled)
{
    if (row < 0)
        return false;
    row = qMin(row, m_effects.size());
    beginInsertRows(QModelIndex(), row, row);
    m_effects.insert(row, Effect{uid, data, enabled});
    endInsertRows();
    return true;
}

QString KXStyleProxy::GetEffectUID(const QModelIndex& index) const
{
    return IsEffect(index) ? m_effects.at(index.row()).uid : QString();
}

QByteArray KXStyleProxy::GetSessionData(const QModelIndex& index) const
{
    return IsEffect(index) ? m_effects.at(index.row()).data : QByteArray();
}

bool KXStyleProxy::IsEnabled(const QModelIndex& index) const
{
    return IsEffect(index) && m_effects.at(index.row()).enabled;
}

bool KXStyleProxy::SetSessionData(const QModelIndex& index, const QByteArray& data)
{
    if (!IsEffect(index))
        return false;
    m_effects[index.row()].data = data;
    EffectChanged(index.row(), {SessionDataRole});
    return true;
}

bool KXStyleProxy::SetEnabled(const QModelIndex& index, bool enabled)
{
    if (!IsEffect(index))
        return false;
    m_effects[index.row()].enabled = enabled;
    EffectChanged(index.row(), {Qt::CheckStateRole});
    return true;
}

int KXStyleProxy::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_effects.size();
}

QVariant KXStyleProxy::data(const QModelIndex& index, int role) const
{
    if (!IsEffect(index))
        return QVariant();
    const Effect& effect = m_effects.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case EffectUIDRole:
        return effect.uid;
    case Qt::CheckStateRole:
        return effect.enabled ? Qt::Checked : Qt::Unchecked;
    case SessionDataRole:
        return effect.data;
    default:
        return QVariant();
    }
}

bool KXStyleProxy::setData(const QModelIndex& index, const QVariant& value, int role)
{
    switch (role) {
    case Qt::CheckStateRole:
        return SetEnabled(index, value.toInt() == Qt::Checked);
    case SessionDataRole:
        return SetSessionData(index, value.toByteArray());
    default:
        return false;
    }
}

Qt::ItemFlags KXStyleProxy::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
}

bool KXStyleProxy::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || count < 1 || count > m_effects.size() - row)
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    m_effects.erase(m_effects.begin() + row, m_effects.begin() + row + count);
    endRemoveRows();
    return true;
}

bool KXStyleProxy::IsEffect(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this && index.row() < m_effects.size() && index.column() == 0;
}

void KXStyleProxy::EffectChanged(int row, const QVector<int>& roles)
{
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, roles);
}

#include "KXChannelModel.h"

namespace {

const char* const compositeNames[] = {"RGB", "Red", "Green", "Blue"};
constexpr int compositeCount = int(sizeof(compositeNames) / sizeof(compositeNames[0]));

} // namespace

KXChannelModel::KXChannelModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

KXChannelModel::~KXChannelModel() = default;

int KXChannelModel::GetCompositeChannelsCount() const
{
    return compositeCount;
}

unsigned int KXChannelModel::GetAlphaChannelCount() const
{
    return unsigned(m_channels.size());
}

int KXChannelModel::GetAlphaChannelRow(unsigned int id) const
{
    return IsAlpha(id) ? compositeCount + int(id) : -1;
}

bool KXChannelModel::InsertAlphaChannel(unsigned int id, const QString& name, const KXImage32& image,
                                        const QPoint& offset)
{
    if (id > unsigned(m_channels.size()))
        return false;
    const int row = compositeCount + int(id);
    beginInsertRows(QModelIndex(), row, row);
    m_channels.insert(int(id), Channel{name, image, offset});
    endInsertRows();
    return true;
}

bool KXChannelModel::RemoveAlphaChannel(unsigned int id)
{
    if (!IsAlpha(id))
        return false;
    const int row = compositeCount + int(id);
    beginRemoveRows(QModelIndex(), row, row);
    m_channels.removeAt(int(id));
    endRemoveRows();
    return true;
}

QString KXChannelModel::GetAlphaChannelName(unsigned int id) const
{
    return IsAlpha(id) ? m_channels.at(int(id)).name : QString();
}

bool KXChannelModel::SetAlphaChannelName(unsigned int id, const QString& name)
{
    if (!IsAlpha(id))
        return false;
    m_channels[int(id)].name = name;
    RowChanged(id, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

KXImage32* KXChannelModel::GetAlphaChannelImage(unsigned int id)
{
    return IsAlpha(id) ? &m_channels[int(id)].image : nullptr;
}

const KXImage32* KXChannelModel::GetAlphaChannelImage(unsigned int id) const
{
    return IsAlpha(id) ? &m_channels.at(int(id)).image : nullptr;
}

QPoint KXChannelModel::GetAlphaChannelOffset(unsigned int id) const
{
    return IsAlpha(id) ? m_channels.at(int(id)).offset : QPoint();
}

bool KXChannelModel::SetAlphaChannelOffset(unsigned int id, const QPoint& offset)
{
    if (!IsAlpha(id))
        return false;
    m_channels[int(id)].offset = offset;
    RowChanged(id, {OffsetRole});
    return true;
}

void KXChannelModel::AlphaChannelChanged(unsigned int id)
{
    if (IsAlpha(id))
        RowChanged(id, {Qt::DecorationRole});
}

int KXChannelModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : compositeCount + m_channels.size();
}

QVariant KXChannelModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.model() != this || index.row() >= rowCount())
        return QVariant();
    const int row = index.row();
    const bool alpha = row >= compositeCount;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return alpha ? m_channels.at(row - compositeCount).name : QString::fromLatin1(compositeNames[row]);
    case IsAlphaRole:
        return alpha;
    case OffsetRole:
        return alpha ? QVariant(m_channels.at(row - compositeCount).offset) : QVariant();
    default:
        return QVariant();
    }
}

bool KXChannelModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.model() != this || role != Qt::EditRole || index.row() < compositeCount)
        return false;
    return SetAlphaChannelName(unsigned(index.row() - compositeCount), value.toString());
}

Qt::ItemFlags KXChannelModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (index.row() >= compositeCount)
        flags |= Qt::ItemIsEditable;
    return flags;
}

void KXChannelModel::RowChanged(unsigned int id, const QVector<int>& roles)
{
    const QModelIndex changed = index(compositeCount + int(id));
    emit dataChanged(changed, changed, roles);
}

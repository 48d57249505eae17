#include "KXColorSampleModel.h"

KXColorSampleModel::KXColorSampleModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

KXColorSampleModel::~KXColorSampleModel() = default;

bool KXColorSampleModel::InsertPoint(int row, const QPoint& point, const QColor& color)
{
    if (row < 0 || row > m_samples.size())
        return false;
    beginInsertRows(QModelIndex(), row, row);
    m_samples.insert(row, Sample{point, color, DefaultFormat});
    endInsertRows();
    return true;
}

bool KXColorSampleModel::RemovePoint(int row)
{
    return removeRows(row, 1);
}

QPoint KXColorSampleModel::GetPoint(int row) const
{
    return IsRow(row) ? m_samples.at(row).point : QPoint();
}

bool KXColorSampleModel::SetPoint(int row, const QPoint& point)
{
    if (!IsRow(row))
        return false;
    m_samples[row].point = point;
    RowChanged(row, {Qt::DisplayRole, PointRole});
    return true;
}

QColor KXColorSampleModel::GetColor(int row) const
{
    return IsRow(row) ? m_samples.at(row).color : QColor();
}

bool KXColorSampleModel::SetColor(int row, const QColor& color)
{
    if (!IsRow(row))
        return false;
    m_samples[row].color = color;
    RowChanged(row, {Qt::DecorationRole, ColorRole});
    return true;
}

KXColorSampleModel::SampleFormat KXColorSampleModel::GetDisplayFormat(int row) const
{
    return IsRow(row) ? m_samples.at(row).format : DefaultFormat;
}

bool KXColorSampleModel::SetDisplayFormat(int row, SampleFormat format)
{
    if (!IsRow(row) || int(format) < int(RGB) || int(format) > int(Hex))
        return false;
    m_samples[row].format = format;
    RowChanged(row, {FormatRole});
    return true;
}

int KXColorSampleModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_samples.size();
}

QVariant KXColorSampleModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.model() != this || !IsRow(index.row()))
        return QVariant();
    const Sample& sample = m_samples.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return QStringLiteral("%1, %2").arg(sample.point.x()).arg(sample.point.y());
    case Qt::DecorationRole:
    case ColorRole:
        return sample.color;
    case PointRole:
        return sample.point;
    case FormatRole:
        return int(sample.format);
    default:
        return QVariant();
    }
}

bool KXColorSampleModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.model() != this)
        return false;
    switch (role) {
    case PointRole:
        return SetPoint(index.row(), value.toPoint());
    case ColorRole:
        return SetColor(index.row(), value.value<QColor>());
    case FormatRole: {
        bool ok = false;
        const int format = value.toInt(&ok);
        return ok && format >= RGB && format <= Hex && SetDisplayFormat(index.row(), SampleFormat(format));
    }
    default:
        return false;
    }
}

Qt::ItemFlags KXColorSampleModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

bool KXColorSampleModel::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || count < 1 || count > m_samples.size() - row)
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    m_samples.erase(m_samples.begin() + row, m_samples.begin() + row + count);
    endRemoveRows();
    return true;
}

void KXColorSampleModel::RowChanged(int row, const QVector<int>& roles)
{
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, roles);
}

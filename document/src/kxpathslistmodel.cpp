#include "KXPathsListModel.h"

KXPathsListModel::KXPathsListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

KXPathsListModel::~KXPathsListModel() = default;

bool KXPathsListModel::InsertPath(int index, const Path& path, const QString& name)
{
    if (index < 0 || index > m_paths.size())
        return false;
    beginInsertRows(QModelIndex(), index, index);
    m_paths.insert(index, Entry{name, path});
    endInsertRows();
    return true;
}

bool KXPathsListModel::RemovePath(int index)
{
    return removeRows(index, 1);
}

bool KXPathsListModel::SetPath(int index, const Path& path)
{
    if (!IsPath(index))
        return false;
    m_paths[index].path = path;
    PathChanged(index);
    return true;
}

KXPathsListModel::Path KXPathsListModel::GetPath(int index) const
{
    return IsPath(index) ? m_paths.at(index).path : Path();
}

QList<KXPathsListModel::Path> KXPathsListModel::GetPaths() const
{
    QList<Path> paths;
    paths.reserve(m_paths.size());
    for (const Entry& entry : m_paths)
        paths.append(entry.path);
    return paths;
}

QString KXPathsListModel::GetPathName(int index) const
{
    return IsPath(index) ? m_paths.at(index).name : QString();
}

bool KXPathsListModel::SetPathName(int index, const QString& name)
{
    if (!IsPath(index))
        return false;
    m_paths[index].name = name;
    const QModelIndex changed = this->index(index);
    emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

bool KXPathsListModel::InsertSubPath(int pathIndex, int subPathIndex, const QList<KXPathElement>& elements,
                                     LogicalOp op)
{
    if (!IsPath(pathIndex) || subPathIndex < 0 || subPathIndex > m_paths.at(pathIndex).path.size())
        return false;
    m_paths[pathIndex].path.insert(subPathIndex, SubPath(elements, int(op)));
    PathChanged(pathIndex);
    return true;
}

bool KXPathsListModel::RemoveSubPath(int pathIndex, int subPathIndex)
{
    if (!IsPath(pathIndex) || subPathIndex < 0 || subPathIndex >= m_paths.at(pathIndex).path.size())
        return false;
    m_paths[pathIndex].path.removeAt(subPathIndex);
    PathChanged(pathIndex);
    return true;
}

bool KXPathsListModel::SetSubPath(int pathIndex, int subPathIndex, const QList<KXPathElement>& elements, bool notify)
{
    if (!IsPath(pathIndex) || subPathIndex < 0 || subPathIndex >= m_paths.at(pathIndex).path.size())
        return false;
    m_paths[pathIndex].path[subPathIndex].first = elements;
    if (notify)
        PathChanged(pathIndex);
    return true;
}

QPainterPath KXPathsListModel::GetPainterPath(int index) const
{
    QPainterPath outline;
    if (!IsPath(index))
        return outline;
    bool first = true;
    for (const SubPath& subPath : m_paths.at(index).path) {
        const QPainterPath shape = ConvertFrom(subPath.first);
        if (first) {
            outline = shape;
            first = false;
            continue;
        }
        switch (subPath.second) {
        case Intersect:
            outline = outline.intersected(shape);
            break;
        case Subtract:
            outline = outline.subtracted(shape);
            break;
        case Exclude:
            outline = outline.united(shape).subtracted(outline.intersected(shape));
            break;
        default:
            outline = outline.united(shape);
            break;
        }
    }
    return outline;
}

int KXPathsListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_paths.size();
}

QVariant KXPathsListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.model() != this || !IsPath(index.row()))
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_paths.at(index.row()).name;
    case SubPathCountRole:
        return m_paths.at(index.row()).path.size();
    default:
        return QVariant();
    }
}

bool KXPathsListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.model() != this || role != Qt::EditRole)
        return false;
    return SetPathName(index.row(), value.toString());
}

Qt::ItemFlags KXPathsListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

bool KXPathsListModel::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || count < 1 || count > m_paths.size() - row)
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    m_paths.erase(m_paths.begin() + row, m_paths.begin() + row + count);
    endRemoveRows();
    return true;
}

void KXPathsListModel::PathChanged(int index)
{
    const QModelIndex changed = this->index(index);
    emit dataChanged(changed, changed, {SubPathCountRole});
}

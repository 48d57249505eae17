#include "KXDocumentModel.h"

#include <QRect>

#include "KXDocumentInterface.h"

namespace {

bool IsPermutation(const QList<unsigned int>& sequence, int count)
{
    if (sequence.size() != count)
        return false;
    QVector<bool> seen(count, false);
    for (unsigned int id : sequence) {
        if (id >= unsigned(count) || seen.at(int(id)))
            return false;
        seen[int(id)] = true;
    }
    return true;
}

} // namespace

KXDocumentModel::KXDocumentModel(KXDocumentInterface* document, QObject* parent)
    : QAbstractListModel(parent)
    , m_document(document)
{
    if (!document)
        return;
    m_marks.resize(int(document->GetLayerCount()));
    connect(document, &KXDocumentInterface::layerAboutToBeInserted, this, &KXDocumentModel::AboutToInsert);
    connect(document, &KXDocumentInterface::layerInserted, this, &KXDocumentModel::Inserted);
    connect(document, &KXDocumentInterface::layerAboutToBeRemoved, this, &KXDocumentModel::AboutToRemove);
    connect(document, &KXDocumentInterface::layerRemoved, this, &KXDocumentModel::Removed);
    connect(document, &KXDocumentInterface::layersAboutToBeReordered, this, &KXDocumentModel::AboutToReorder);
    connect(document, &KXDocumentInterface::layersReordered, this, &KXDocumentModel::Reordered);
    connect(document, &KXDocumentInterface::layerPropertiesChanged, this,
            [this](unsigned int id) { RowChanged(id, {}); });
    connect(document, &KXDocumentInterface::layerChanged, this,
            [this](unsigned int id) { RowChanged(id, {GeometryRole}); });
    connect(document, &KXDocumentInterface::layerMaskChanged, this, &KXDocumentModel::MaskChanged);
    connect(document, &QObject::destroyed, this, [this]() {
        beginResetModel();
        m_marks.clear();
        m_pending = Pending::None;
        m_rowsBegun = false;
        endResetModel();
    });
}

KXDocumentModel::~KXDocumentModel() = default;

KXDocumentInterface* KXDocumentModel::GetDocument() const
{
    return m_document;
}

bool KXDocumentModel::GetLayerSelected(unsigned int row) const
{
    return row < unsigned(rowCount()) && m_marks.at(int(row) + 1).layer;
}

bool KXDocumentModel::SetLayerSelected(unsigned int row, bool selected)
{
    return SetMark(row, &Marks::layer, selected, LayerSelectedRole);
}

bool KXDocumentModel::GetMaskSelected(unsigned int row) const
{
    return row < unsigned(rowCount()) && m_marks.at(int(row) + 1).mask;
}

bool KXDocumentModel::SetMaskSelected(unsigned int row, bool selected)
{
    return SetMark(row, &Marks::mask, selected, MaskSelectedRole);
}

int KXDocumentModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : qMax(0, m_marks.size() - 1);
}

QVariant KXDocumentModel::data(const QModelIndex& index, int role) const
{
    if (!IsRow(index))
        return QVariant();
    const unsigned int id = unsigned(index.row()) + 1;
    const KXDocumentInterface& document = *m_document;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return document.GetLayerName(id);
    case Qt::CheckStateRole:
        return document.GetLayerVisible(id) ? Qt::Checked : Qt::Unchecked;
    case LayerIdRole:
        return id;
    case LayerTypeRole:
        return document.GetLayerType(id);
    case OpacityRole:
        return document.GetLayerOpacity(id);
    case BlendModeRole:
        return document.GetLayerBlendMode(id);
    case GeometryRole:
        return document.GetLayerGeometry(id);
    case HasMaskRole:
        return document.HasLayerMask(id);
    case LayerSelectedRole:
        return m_marks.at(int(id)).layer;
    case MaskSelectedRole:
        return m_marks.at(int(id)).mask;
    default:
        return QVariant();
    }
}

bool KXDocumentModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!IsRow(index))
        return false;
    const unsigned int id = unsigned(index.row()) + 1;
    switch (role) {
    case Qt::EditRole:
        if (!value.canConvert<QString>())
            return false;
        m_document->SetLayerName(id, value.toString());
        return true;
    case Qt::CheckStateRole:
        m_document->SetLayerVisible(id, value.toInt() == Qt::Checked);
        return true;
    case OpacityRole: {
        bool ok = false;
        const double opacity = value.toDouble(&ok);
        if (!ok || !(opacity >= 0.0 && opacity <= 1.0))
            return false;
        m_document->SetLayerOpacity(id, opacity);
        return true;
    }
    case LayerSelectedRole:
        return SetLayerSelected(unsigned(index.row()), value.toBool());
    case MaskSelectedRole:
        return SetMaskSelected(unsigned(index.row()), value.toBool());
    default:
        return false;
    }
}

Qt::ItemFlags KXDocumentModel::flags(const QModelIndex& index) const
{
    if (!IsRow(index))
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsUserCheckable
        | Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> KXDocumentModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(LayerIdRole, "layerId");
    names.insert(LayerTypeRole, "layerType");
    names.insert(OpacityRole, "opacity");
    names.insert(BlendModeRole, "blendMode");
    names.insert(GeometryRole, "geometry");
    names.insert(HasMaskRole, "hasMask");
    names.insert(LayerSelectedRole, "layerSelected");
    names.insert(MaskSelectedRole, "maskSelected");
    return names;
}

bool KXDocumentModel::IsRow(const QModelIndex& index) const
{
    return m_document && index.isValid() && index.model() == this && index.column() == 0
        && index.row() < rowCount();
}

bool KXDocumentModel::SetMark(unsigned int row, bool Marks::*mark, bool selected, int role)
{
    if (row >= unsigned(rowCount()))
        return false;
    bool& value = m_marks[int(row) + 1].*mark;
    if (value != selected) {
        value = selected;
        const QModelIndex changed = index(int(row));
        emit dataChanged(changed, changed, {role});
    }
    return true;
}

void KXDocumentModel::RowChanged(unsigned int id, const QVector<int>& roles)
{
    if (id == 0 || id >= unsigned(m_marks.size()) || m_pending != Pending::None)
        return;
    const QModelIndex changed = index(int(id) - 1);
    emit dataChanged(changed, changed, roles);
}

void KXDocumentModel::Reset()
{
    beginResetModel();
    m_marks = QVector<Marks>(m_document ? int(m_document->GetLayerCount()) : 0);
    endResetModel();
}

unsigned int KXDocumentModel::EndPending()
{
    const Pending pending = m_pending;
    const bool begun = m_rowsBegun;
    m_pending = Pending::None;
    m_rowsBegun = false;
    if (begun) {
        if (pending == Pending::Insert)
            endInsertRows();
        else if (pending == Pending::Remove)
            endRemoveRows();
    }
    return m_pendingId;
}

void KXDocumentModel::CheckAnnounced(unsigned int announced, unsigned int id)
{
    if (announced != id || !m_document || m_document->GetLayerCount() != unsigned(m_marks.size()))
        Reset();
}

// Inserting id i shows a new row at i - 1; inserting at id 0 makes the old
// bottom layer visible as row 0. Nothing is shown while there is at most one layer.
void KXDocumentModel::AboutToInsert(unsigned int id)
{
    if (m_pending != Pending::None || id > unsigned(m_marks.size()))
        return;
    m_pending = Pending::Insert;
    m_pendingId = id;
    if (!m_marks.isEmpty()) {
        const int row = id == 0 ? 0 : int(id) - 1;
        beginInsertRows(QModelIndex(), row, row);
        m_rowsBegun = true;
    }
}

void KXDocumentModel::Inserted(unsigned int id)
{
    if (m_pending != Pending::Insert) {
        Reset();
        return;
    }
    m_marks.insert(int(m_pendingId), Marks());
    CheckAnnounced(EndPending(), id);
}

// Removing id i removes row i - 1; removing id 0 hides the layer of row 0.
void KXDocumentModel::AboutToRemove(unsigned int id)
{
    if (m_pending != Pending::None || id >= unsigned(m_marks.size()))
        return;
    m_pending = Pending::Remove;
    m_pendingId = id;
    if (m_marks.size() > 1) {
        const int row = id == 0 ? 0 : int(id) - 1;
        beginRemoveRows(QModelIndex(), row, row);
        m_rowsBegun = true;
    }
}

void KXDocumentModel::Removed(unsigned int id)
{
    if (m_pending != Pending::Remove) {
        Reset();
        return;
    }
    m_marks.remove(int(m_pendingId));
    CheckAnnounced(EndPending(), id);
}

void KXDocumentModel::AboutToReorder(const QList<unsigned int>& sequence)
{
    if (m_pending != Pending::None || !IsPermutation(sequence, m_marks.size()))
        return;
    m_pending = Pending::Reorder;
    emit layoutAboutToBeChanged();
}

// Entry k of the sequence is the old id of the layer that ends at id k.
void KXDocumentModel::Reordered(const QList<unsigned int>& sequence)
{
    if (m_pending != Pending::Reorder) {
        Reset();
        return;
    }
    m_pending = Pending::None;
    if (!IsPermutation(sequence, m_marks.size())) {
        emit layoutChanged();
        Reset();
        return;
    }
    QVector<int> newId(sequence.size());
    QVector<Marks> marks(sequence.size());
    for (int k = 0; k < sequence.size(); ++k) {
        newId[int(sequence.at(k))] = k;
        marks[k] = m_marks.at(int(sequence.at(k)));
    }
    m_marks = marks;
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& old : from) {
        const int id = newId.value(old.row() + 1, 0);
        to.append(id == 0 ? QModelIndex() : index(id - 1));
    }
    changePersistentIndexList(from, to);
    emit layoutChanged();
}

void KXDocumentModel::MaskChanged(unsigned int id)
{
    if (id < unsigned(m_marks.size()) && m_document && !m_document->HasLayerMask(id))
        m_marks[int(id)].mask = false;
    RowChanged(id, {HasMaskRole, MaskSelectedRole});
}

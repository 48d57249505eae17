#include "vornhistorymodel.h"

#include <QGuiApplication>
#include <QPalette>
#include <QTimer>
#include <QUndoCommand>

#include "vorncommand.h"
#include "vorncommanddataserializer.h"
#include "vornundostack.h"

VornHistoryModel::Bytes& VornHistoryModel::Bytes::operator+=(const Bytes& other)
{
    inMemory = (inMemory < 0 || other.inMemory < 0) ? -1 : inMemory + other.inMemory;
    onDisk += other.onDisk;
    unwritten = unwritten || other.unwritten;
    return *this;
}

VornHistoryModel::VornHistoryModel(VornUndoStack* stack, QObject* parent)
    : QAbstractListModel(parent)
    , m_stack(stack)
    , m_bytesTimer(new QTimer(this))
{
    m_bytesTimer->setInterval(250);
    connect(m_bytesTimer, &QTimer::timeout, this, &VornHistoryModel::resync);
    if (!m_stack)
        return;
    connect(m_stack, &QObject::destroyed, this, &VornHistoryModel::OnStackDestroyed);
    connect(m_stack, &VornUndoStack::canRedoChanged, this, &VornHistoryModel::OnStackSignal);
    connect(m_stack, &VornUndoStack::canUndoChanged, this, &VornHistoryModel::OnStackSignal);
    connect(m_stack, &VornUndoStack::cleanChanged, this, &VornHistoryModel::OnStackSignal);
    connect(m_stack, &VornUndoStack::indexChanged, this, &VornHistoryModel::OnStackSignal);
    connect(m_stack, &VornUndoStack::redoTextChanged, this, &VornHistoryModel::OnStackSignal);
    connect(m_stack, &VornUndoStack::undoTextChanged, this, &VornHistoryModel::OnStackSignal);
    // Sent before a change: reading the rows now would catch them half-changed
    // (a live edit being committed is out of the rows for a moment).
    connect(m_stack, &VornUndoStack::aboutIndexChanged, this, &VornHistoryModel::ScheduleResync);
    connect(m_stack, &VornUndoStack::aboutCommit, this, &VornHistoryModel::ScheduleResync);
    resync();
}

VornHistoryModel::~VornHistoryModel() = default;

VornUndoStack* VornHistoryModel::stack() const
{
    return m_stack;
}

int VornHistoryModel::currentRow() const
{
    return m_current;
}

void VornHistoryModel::setBytesPollInterval(int milliseconds)
{
    m_bytesTimer->setInterval(qMax(0, milliseconds));
    UpdatePolling();
}

int VornHistoryModel::bytesPollInterval() const
{
    return m_bytesTimer->interval();
}

int VornHistoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

QVariant VornHistoryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const int row = index.row();
    const Row& entry = m_rows.at(row);
    switch (role) {
    case Qt::DisplayRole:
        return entry.text;
    case Qt::DecorationRole:
        return entry.icon.isNull() ? QVariant() : QVariant(entry.icon);
    case Qt::ForegroundRole:
        return row > m_current ? QVariant(QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text))
                               : QVariant();
    case CurrentRole:
        return row == m_current;
    case UndoneRole:
        return row > m_current;
    case MemoryBytesRole:
        return entry.bytes.inMemory < 0 ? QVariant() : QVariant(qlonglong(entry.bytes.inMemory));
    case DiskBytesRole:
        return qlonglong(entry.bytes.onDisk);
    case UnwrittenRole:
        return entry.bytes.unwritten;
    case Qt::ToolTipRole:
        return entry.bytes.unwritten ? QVariant(tr("Not written to disk: its data waits in memory.")) : QVariant();
    default:
        return QVariant();
    }
}

Qt::ItemFlags VornHistoryModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::ParentIsInvalid))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> VornHistoryModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(CurrentRole, "current");
    names.insert(UndoneRole, "undone");
    names.insert(MemoryBytesRole, "memoryBytes");
    names.insert(DiskBytesRole, "diskBytes");
    names.insert(UnwrittenRole, "unwritten");
    return names;
}

void VornHistoryModel::setCurrentRow(int row)
{
    if (m_stack && row >= 0 && row < m_stack->count())
        m_stack->setIndex(row);
}

void VornHistoryModel::OnStackSignal()
{
    // An index past the last row means the stack is between two steps of one
    // operation (pushDelayed signals before it records the row): the pass from
    // the event loop, or the next signal, sees the finished change.
    if (m_stack->count() == 0 || m_stack->index() < m_stack->count())
        resync();
    ScheduleResync();
}

void VornHistoryModel::ScheduleResync()
{
    if (m_resyncQueued)
        return;
    m_resyncQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_resyncQueued = false;
            resync();
        },
        Qt::QueuedConnection);
}

void VornHistoryModel::OnStackDestroyed()
{
    // Also sent while the stack's destructor runs (it forwards its inner
    // stack's destroyed()): from here on the stack must not be asked anything.
    if (!m_stack)
        return;
    disconnect(m_stack, nullptr, this, nullptr);
    m_stack = nullptr;
    resync();
}

void VornHistoryModel::resync()
{
    // A view reacting to our signals may move the stack: that pass runs after this one.
    if (m_resyncing) {
        m_resyncAgain = true;
        return;
    }
    m_resyncing = true;
    do {
        m_resyncAgain = false;
        ApplyRows(ReadRows());
        ApplyCurrent(m_stack ? m_stack->index() : -1);
    } while (m_resyncAgain);
    m_resyncing = false;
    UpdatePolling();
}

QVector<VornHistoryModel::Row> VornHistoryModel::ReadRows() const
{
    QVector<Row> rows;
    const int count = m_stack ? m_stack->count() : 0;
    rows.reserve(count);
    for (int row = 0; row < count; ++row)
        rows.append(Row{m_stack->GetItemMeta(row, 0).toString(), m_stack->GetItemMeta(row, 1).value<QImage>(),
                        RowBytes(row)});
    return rows;
}

VornHistoryModel::Bytes VornHistoryModel::RowBytes(int row) const
{
    if (row <= 0)
        return Bytes(); // the initial state holds no data
    if (m_stack->hasDelayed() && row == m_stack->count() - 1)
        return CommandBytes(m_stack->delayedCommand());
    return CommandBytes(m_stack->command(row - 1));
}

VornHistoryModel::Bytes VornHistoryModel::CommandBytes(const QUndoCommand* command) const
{
    Bytes bytes;
    if (!command)
        return bytes;
    if (const auto* vornCommand = dynamic_cast<const VornCommand*>(command)) {
        if (vornCommand->GetHeldData()) {
            bytes.inMemory = -1; // not attached yet: its size is not known
        } else if (VornCommandDataSerializer* serializer = vornCommand->GetSerializer()) {
            const VornCommandDataSerializer::DataBytes held = serializer->GetDataBytes(vornCommand->GetDataIndex());
            bytes.inMemory = held.inMemory;
            bytes.onDisk = held.onDisk;
            bytes.unwritten = held.unwritten;
        }
    }
    for (int child = 0; child < command->childCount(); ++child)
        bytes += CommandBytes(command->child(child)); // a macro's commands
    return bytes;
}

void VornHistoryModel::ApplyRows(const QVector<Row>& rows)
{
    // The rows that kept their look at both ends stay; the middle is changed
    // in place as far as both sides reach, then removed or inserted.
    const int oldCount = m_rows.size();
    const int newCount = rows.size();
    int prefix = 0;
    while (prefix < oldCount && prefix < newCount && m_rows[prefix].SameLook(rows[prefix]))
        ++prefix;
    int suffix = 0;
    while (suffix < oldCount - prefix && suffix < newCount - prefix
           && m_rows[oldCount - 1 - suffix].SameLook(rows[newCount - 1 - suffix]))
        ++suffix;
    const int oldMiddle = oldCount - prefix - suffix;
    const int newMiddle = newCount - prefix - suffix;
    const int changed = qMin(oldMiddle, newMiddle);

    for (int row = prefix; row < prefix + changed; ++row) {
        m_rows[row].text = rows[row].text;
        m_rows[row].icon = rows[row].icon;
    }
    if (changed > 0)
        emit dataChanged(index(prefix), index(prefix + changed - 1), {Qt::DisplayRole, Qt::DecorationRole});
    if (oldMiddle > newMiddle) {
        beginRemoveRows(QModelIndex(), prefix + changed, prefix + oldMiddle - 1);
        m_rows.remove(prefix + changed, oldMiddle - newMiddle);
        endRemoveRows();
    } else if (newMiddle > oldMiddle) {
        beginInsertRows(QModelIndex(), prefix + changed, prefix + newMiddle - 1);
        for (int row = prefix + changed; row < prefix + newMiddle; ++row)
            m_rows.insert(row, rows[row]);
        endInsertRows();
    }

    QVector<bool> bytesChanged(newCount, false);
    Row* const current = m_rows.data();
    for (int row = 0; row < newCount; ++row) {
        if (!(current[row].bytes == rows[row].bytes)) {
            current[row].bytes = rows[row].bytes;
            bytesChanged[row] = true;
        }
    }
    EmitChangedRuns(bytesChanged, {MemoryBytesRole, DiskBytesRole, UnwrittenRole, Qt::ToolTipRole});
}

void VornHistoryModel::ApplyCurrent(int current)
{
    const int previous = m_current;
    if (current == previous)
        return;
    m_current = current;
    // Every row from one current row to the other changes between done, current and undone.
    const int first = qMax(0, qMin(previous, current));
    const int last = qMin(m_rows.size() - 1, qMax(previous, current));
    if (first <= last)
        emit dataChanged(index(first), index(last), {CurrentRole, UndoneRole, Qt::ForegroundRole});
    emit currentRowChanged(current);
}

void VornHistoryModel::UpdatePolling()
{
    bool inMemory = false;
    for (const Row& row : qAsConst(m_rows))
        inMemory = inMemory || row.bytes.inMemory != 0;
    if (!inMemory || m_bytesTimer->interval() <= 0)
        m_bytesTimer->stop();
    else if (!m_bytesTimer->isActive())
        m_bytesTimer->start();
}

void VornHistoryModel::EmitChangedRuns(const QVector<bool>& changed, const QVector<int>& roles)
{
    int row = 0;
    while (row < changed.size()) {
        if (!changed[row]) {
            ++row;
            continue;
        }
        const int first = row;
        while (row < changed.size() && changed[row])
            ++row;
        emit dataChanged(index(first), index(row - 1), roles);
    }
}

#pragma once

#include <QAbstractListModel>
#include <QImage>
#include <QString>
#include <QVector>

#include "vornhistory_export.h"

class QTimer;
class QUndoCommand;
class VornUndoStack;

/**
 * @brief The model of a history panel: one row per history row of a VornUndoStack.
 *
 * Row 0 is the document's initial state, row k the k-th entry of the stack, and
 * a pending live edit (pushDelayed) is the last row. DisplayRole is the row's
 * text, DecorationRole the picture registered for its icon name
 * (VornCommand::SetIcon), ForegroundRole greys undone rows, ToolTipRole warns
 * of data that could not be written out, and the roles below
 * tell which row is the current state and where each row's command data lives.
 *
 * The model follows the stack through its signals: after each change signal it
 * reads the rows again (count(), index(), GetItemMeta()) and reports the
 * difference as row insertions, removals and dataChanged, never as a reset.
 * Because some stack operations change rows after their last signal (opening a
 * macro, an undo limit dropping old rows), every stack signal, aboutIndexChanged()
 * included, also queues one more pass for the event loop; resync() does the
 * same pass at once. Call resync() after a second
 * SetInitialMeta(), which renames row 0 without a signal.
 *
 * The byte roles change while the serializer's worker writes data out, which
 * the stack does not signal: while any row's data is still in memory the model
 * polls them (see setBytesPollInterval()).
 *
 * Ownership and threads: the stack is not owned; when it is destroyed the model
 * removes its rows and stays empty. Use the model on the stack's thread.
 * Signals: currentRowChanged(row) whenever the current row moves, after its dataChanged.
 */
class VORNHISTORY_EXPORT VornHistoryModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role
    {
        /// bool: the row is the document's current state (the stack's index()).
        CurrentRole = Qt::UserRole + 1,
        /// bool: the row lies above the current state (undone; a redo brings it back).
        UndoneRole,
        /// qlonglong: bytes the row's command data holds in memory now (0 once
        /// written out); invalid while not known (a live edit, a write pending).
        MemoryBytesRole,
        /// qlonglong: bytes of the row's temporary files.
        DiskBytesRole,
        /// bool: the row's command data waits in memory because writing it
        /// out failed (a full disk, a folder that refuses files); the data is
        /// written again at its next execution.
        UnwrittenRole
    };

    explicit VornHistoryModel(VornUndoStack* stack, QObject* parent = nullptr);
    ~VornHistoryModel() override;

    VornUndoStack* stack() const;
    /// The row of the current state, -1 without a stack or rows.
    int currentRow() const;
    /// Milliseconds between two looks at the byte roles while data waits to be
    /// written out (250 at first); 0 stops looking (resync() still updates them).
    void setBytesPollInterval(int milliseconds);
    int bytesPollInterval() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;

public slots:
    /// Makes row the current state: the stack's setIndex(row). Rows out of range do nothing.
    void setCurrentRow(int row);
    /// Reads the stack's rows now and reports what changed.
    void resync();

signals:
    void currentRowChanged(int row);

private:
    struct Bytes
    {
        qint64 inMemory = 0; // -1: not known
        qint64 onDisk = 0;
        bool unwritten = false;
        bool operator==(const Bytes& other) const
        {
            return inMemory == other.inMemory && onDisk == other.onDisk && unwritten == other.unwritten;
        }
        Bytes& operator+=(const Bytes& other);
    };
    struct Row
    {
        QString text;
        QImage icon;
        Bytes bytes;
        bool SameLook(const Row& other) const { return text == other.text && icon == other.icon; }
    };

    // After a change signal: a pass now and one from the event loop.
    void OnStackSignal();
    void ScheduleResync();
    void OnStackDestroyed();
    QVector<Row> ReadRows() const;
    Bytes RowBytes(int row) const;
    Bytes CommandBytes(const QUndoCommand* command) const;
    void ApplyRows(const QVector<Row>& rows);
    void ApplyCurrent(int current);
    void RefreshBytes();
    void UpdatePolling();
    // One dataChanged per run of consecutive rows that changed.
    void EmitChangedRuns(const QVector<bool>& changed, const QVector<int>& roles);

    VornUndoStack* m_stack;
    QVector<Row> m_rows;
    int m_current = -1;
    bool m_resyncQueued = false;
    bool m_resyncing = false;
    bool m_resyncAgain = false;
    QTimer* m_bytesTimer;
};

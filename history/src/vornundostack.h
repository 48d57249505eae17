#pragma once

#include <QDir>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVariant>

#include "vornhistory_export.h"

class QAction;
class QUndoCommand;
class QUndoStack;
class VornCommand;
class VornCommandDataSerializer;

// The undo history of one open document: a QUndoStack whose commands keep
// their data in temporary files (through the stack's serializer), plus the
// rows of a history panel, delayed live edits, and containment of exceptions
// thrown by commands.
//
// History rows: row 0 is the document's initial state (SetInitialMeta); row k
// is the k-th top-level entry of the stack; a pending delayed command adds one
// row at the end. Role 0 of a row is its text, role 1 its icon (the picture
// registered with VornCommand::SetIcon under the row's icon name). When an
// undo limit makes the stack delete its oldest entries, their rows go with
// them (row 0 stays, standing for the oldest state still reachable).
//
// Macros: one in-macro flag, not a depth. A beginMacro inside a macro replaces
// the outer macro's row and the first endMacro ends the grouping, so a host
// that needs nested groups must open one macro only and push its inner edits
// into it (or keep a depth counter of its own and call beginMacro/endMacro at
// the outermost level only).
//
// Rows follow the stack's algorithm to the letter, so a panel that mirrors
// count(), index() and GetItemMeta() sees exactly what the stack records:
// - Taking a pending delayed command (for a push, an undo, a commit, a macro
//   boundary) only empties the field; the row pushDelayed recorded stays.
//   Outside a macro the push that follows cuts it away and appends the
//   command's own row; inside a macro the row stays (pushDelayed records rows
//   even in a macro), so push(P); beginMacro(M); pushDelayed(A); endMacro()
//   leaves three rows, the last one A's, with index() 2.
// - A command whose execution throws during push is not on the stack: the
//   exception reaches the caller, the caller still owns the command, and the
//   row push appended for it stays above index() until the next push cuts
//   the rows back to the inner index. The same holds for commit() of a
//   delayed command whose execution fails.
//
// Owns its QUndoStack (and so the pushed commands), the pending delayed command and its serializer; GUI thread only.
// Signals: QUndoStack's change signals, forwarded (pushDelayed emits most of them itself, the first SetInitialMeta
// indexChanged(0)); aboutIndexChanged() before push, undo, redo, setIndex and clear; aboutCommit() as commit() starts.
class VORNHISTORY_EXPORT VornUndoStack : public QObject
{
    Q_OBJECT
public:
    explicit VornUndoStack(QObject* parent = nullptr);
    ~VornUndoStack() override;

    // Folder for the temporary files; taken only while the stack holds no command data.
    void setTemporaryFolder(const QDir& folder);

    void SetInitialMeta(const QString& text, const QString& iconName);
    void push(VornCommand* command);
    void pushDelayed(VornCommand* command);
    void commit();
    bool hasDelayed() const;
    VornCommand* delayedCommand() const;
    void beginMacro(const QString& text, const QString& iconName);
    void endMacro();
    void clear();

    int count() const;
    int index() const;
    bool canUndo() const;
    bool canRedo() const;
    QString undoText() const;
    QString redoText() const;
    const QUndoCommand* command(int index) const;
    QString text(int index) const;
    QVariant GetItemMeta(int row, int role) const;

    bool isActive() const;
    bool isClean() const;
    int cleanIndex() const;
    int undoLimit() const;
    void setUndoLimit(int limit);
    QAction* createUndoAction(QObject* parent, const QString& prefix = QString()) const;
    QAction* createRedoAction(QObject* parent, const QString& prefix = QString()) const;

    VornCommandDataSerializer* GetSerializer() const { return m_serializer; }

signals:
    void canRedoChanged(bool canRedo);
    void canUndoChanged(bool canUndo);
    void cleanChanged(bool clean);
    void indexChanged(int idx);
    void redoTextChanged(QString redoText);
    void undoTextChanged(QString undoText);
    void aboutIndexChanged();
    void aboutCommit();

public slots:
    void redo();
    void setActive(bool active = true);
    void setClean();
    void setIndex(int idx);
    void undo();

private:
    using Row = QMap<int, QVariant>;

    void AppendRow(const QString& text, const QString& iconName);
    void DropRowsOfDeletedEntries(int expectedCount);
    // Takes the pending delayed command, if any; its row stays.
    VornCommand* TakePendingDelayed();
    // Pushes the pending delayed command, if any (exceptions reach the caller).
    void PushPendingDelayed();
    // Pushes a taken delayed command for pushDelayed and commit: a standard
    // exception is reported and the command discarded, others reach the caller.
    void PushTakenDelayed(VornCommand* pending);
    // After a delayed command failed to execute: undoes what it did and deletes it.
    void DiscardFailedDelayed(VornCommand* command);

    QUndoStack* m_stack;
    VornCommandDataSerializer* m_serializer;
    VornCommand* m_delayedCommand = nullptr;
    bool m_committing = false;
    QList<Row> m_rows;
    bool m_inMacro = false;
};

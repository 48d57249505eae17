#pragma once

#include <QImage>
#include <QMap>
#include <QString>
#include <QUndoCommand>

#include "vornhistory_export.h"

class VornCommandData;
class VornCommandDataSerializer;

// An undoable edit. The command keeps only an index; what it needs to undo and
// redo lives in a VornCommandData that the undo stack's serializer owns once
// the command is pushed, and lends back for each execution.
//
// Life cycle: built (holds its data, undo/redo do nothing) -> attached by the
// stack with SetSerializer (the serializer owns the data) -> destroyed (deletes
// its data, or removes it from the serializer).
//
// Owned by its creator until pushed, then by the undo stack (a push whose
// execution throws leaves it with the caller). Subclasses hold their document
// without owning it. Use it, and the icon registry, on the stack's thread (the GUI thread).
class VORNHISTORY_EXPORT VornCommand : public QUndoCommand
{
public:
    static constexpr unsigned int NoIndex = 0xFFFFFFFF;

    VornCommand();
    ~VornCommand() override;

    VornCommand(const VornCommand&) = delete;
    VornCommand& operator=(const VornCommand&) = delete;

    // Borrow the data from the serializer, execute, hand it back.
    void undo() final;
    void redo() final;

    // Execute with data the caller holds, bypassing the serializer.
    void undoExec(VornCommandData* data);
    void redoExec(VornCommandData* data);

    // Takes ownership of data (may be null), destroying the data held before.
    bool SetCommandData(VornCommandData* data);
    // Attaches the command and hands its data over; false when serializer is
    // null, the command is already attached, or the serializer refused the data.
    bool SetSerializer(VornCommandDataSerializer* serializer);

    // The name of the command's picture in the icon registry ("default" at first).
    void SetIcon(const QString& name);
    QString GetIcon() const;

    // The process-wide icon registry of history rows.
    static void SetIcon(const QString& name, const QImage& image);
    static QImage GetIcon(const QString& name);

    // Introspection for hosts and tests.
    unsigned int GetDataIndex() const { return m_dataIndex; }
    VornCommandDataSerializer* GetSerializer() const { return m_serializer; }
    VornCommandData* GetHeldData() const { return m_commandData; }

protected:
    virtual void UndoExecute(VornCommandData* data) = 0;
    virtual void RedoExecute(VornCommandData* data) = 0;
    // Called once when the command is attached, with the data it still holds:
    // a live edit records its final values here.
    virtual void EndTransaction(VornCommandData* data);
    // Called when the command is pushed as a delayed live edit: it records the
    // document's starting values here.
    virtual void BeginTransaction();

private:
    friend class VornUndoStack;

    unsigned int m_dataIndex = NoIndex;
    VornCommandDataSerializer* m_serializer = nullptr;
    VornCommandData* m_commandData = nullptr;
    QString m_iconName;

    static QMap<QString, QImage> m_iconMap;
};

#include "vornundostack.h"

#include <QUndoStack>

#include <exception>

#include "KXErrorReport.h"
#include "vorncommand.h"
#include "vorncommanddataserializer.h"

VornUndoStack::VornUndoStack(QObject* parent)
    : QObject(parent)
    , m_stack(new QUndoStack)
    , m_serializer(new VornCommandDataSerializer(this))
{
    connect(m_stack, SIGNAL(canRedoChanged(bool)), this, SIGNAL(canRedoChanged(bool)));
    connect(m_stack, SIGNAL(canUndoChanged(bool)), this, SIGNAL(canUndoChanged(bool)));
    connect(m_stack, SIGNAL(cleanChanged(bool)), this, SIGNAL(cleanChanged(bool)));
    connect(m_stack, SIGNAL(destroyed()), this, SIGNAL(destroyed()));
    connect(m_stack, SIGNAL(destroyed(QObject*)), this, SIGNAL(destroyed(QObject*)));
    connect(m_stack, SIGNAL(indexChanged(int)), this, SIGNAL(indexChanged(int)));
    connect(m_stack, SIGNAL(redoTextChanged(QString)), this, SIGNAL(redoTextChanged(QString)));
    connect(m_stack, SIGNAL(undoTextChanged(QString)), this, SIGNAL(undoTextChanged(QString)));
}

VornUndoStack::~VornUndoStack()
{
    // Commands remove their data from the serializer, so they die first.
    delete m_delayedCommand;
    m_delayedCommand = nullptr;
    delete m_stack;
    m_stack = nullptr;
    delete m_serializer;
    m_serializer = nullptr;
    m_rows.clear();
}

void VornUndoStack::setTemporaryFolder(const QDir& folder)
{
    m_serializer->SetTemporaryFolder(folder);
}

void VornUndoStack::SetInitialMeta(const QString& text, const QString& iconName)
{
    const Row row{{0, text}, {1, iconName}};
    if (m_rows.isEmpty()) {
        m_rows.append(row);
        emit indexChanged(0);
    } else {
        m_rows[0] = row;
    }
}

void VornUndoStack::AppendRow(const QString& text, const QString& iconName)
{
    const int keep = m_stack->index() + 1;
    while (m_rows.size() > keep)
        m_rows.removeLast();
    m_rows.append(Row{{0, text}, {1, iconName}});
}

void VornUndoStack::DropRowsOfDeletedEntries(int expectedCount)
{
    // With an undo limit the inner stack deletes its oldest entries.
    const int dropped = expectedCount - m_stack->count();
    for (int i = 0; i < dropped && m_rows.size() > 1; ++i)
        m_rows.removeAt(1);
}

VornCommand* VornUndoStack::TakePendingDelayed()
{
    // Only the field is emptied: the row pushDelayed recorded stays, and the
    // push that follows cuts it away (outside a macro) like any undone row.
    VornCommand* pending = m_delayedCommand;
    m_delayedCommand = nullptr;
    return pending;
}

void VornUndoStack::PushPendingDelayed()
{
    if (VornCommand* pending = TakePendingDelayed())
        push(pending);
}

void VornUndoStack::push(VornCommand* command)
{
    if (!command)
        return;
    PushPendingDelayed();
    command->SetSerializer(m_serializer);
    emit aboutIndexChanged();
    // A failed execution leaves the row appended here in place, above the
    // inner index; the next push cuts it away.
    try {
        if (!m_inMacro)
            AppendRow(command->text(), command->GetIcon());
        const int expectedCount = m_stack->index() + 1;
        m_stack->push(command);
        if (!m_inMacro)
            DropRowsOfDeletedEntries(expectedCount);
    } catch (const std::exception& exception) {
        VORN_REPORT_EXCEPTION(exception);
        throw;
    } catch (...) {
        VORN_REPORT_UNKNOWN_EXCEPTION();
        throw;
    }
}

void VornUndoStack::DiscardFailedDelayed(VornCommand* command)
{
    try {
        command->undo();
    } catch (const std::exception& exception) {
        VORN_REPORT_EXCEPTION(exception);
    } catch (...) {
        VORN_REPORT_UNKNOWN_EXCEPTION();
        delete command;
        throw;
    }
    delete command;
}

void VornUndoStack::pushDelayed(VornCommand* command)
{
    if (!command)
        return;
    if (VornCommand* pending = TakePendingDelayed())
        PushTakenDelayed(pending);
    m_delayedCommand = command;
    emit undoTextChanged(command->text());
    command->BeginTransaction();
    AppendRow(command->text(), command->GetIcon());
    emit indexChanged(m_stack->index() + 1);
    emit canRedoChanged(false);
    emit canUndoChanged(true);
}

void VornUndoStack::commit()
{
    if (m_committing)
        return;
    struct CommittingScope
    {
        bool& flag;
        explicit CommittingScope(bool& committing)
            : flag(committing)
        {
            flag = true;
        }
        ~CommittingScope() { flag = false; }
    } scope(m_committing);

    emit aboutCommit();
    if (VornCommand* pending = TakePendingDelayed())
        PushTakenDelayed(pending);
}

void VornUndoStack::PushTakenDelayed(VornCommand* pending)
{
    try {
        push(pending);
    } catch (const std::exception& exception) {
        VORN_REPORT_EXCEPTION(exception);
        DiscardFailedDelayed(pending);
    } catch (...) {
        VORN_REPORT_UNKNOWN_EXCEPTION();
        delete pending;
        throw;
    }
}

bool VornUndoStack::hasDelayed() const
{
    return m_delayedCommand != nullptr;
}

VornCommand* VornUndoStack::delayedCommand() const
{
    return m_delayedCommand;
}

void VornUndoStack::beginMacro(const QString& text, const QString& iconName)
{
    PushPendingDelayed();
    m_stack->beginMacro(text);
    m_inMacro = true;
    AppendRow(text, iconName);
}

void VornUndoStack::endMacro()
{
    PushPendingDelayed();
    m_inMacro = false;
    const int countBefore = m_stack->count();
    m_stack->endMacro();
    DropRowsOfDeletedEntries(countBefore);
}

void VornUndoStack::undo()
{
    PushPendingDelayed();
    emit aboutIndexChanged();
    try {
        m_stack->undo();
    } catch (const std::exception& exception) {
        VORN_REPORT_EXCEPTION(exception);
        VORN_REPORT(QStringLiteral("Error to undone command."));
    } catch (...) {
        VORN_REPORT_UNKNOWN_EXCEPTION();
        VORN_REPORT(QStringLiteral("Error to undone command."));
        throw;
    }
}

void VornUndoStack::redo()
{
    emit aboutIndexChanged();
    try {
        m_stack->redo();
    } catch (const std::exception& exception) {
        VORN_REPORT_EXCEPTION(exception);
        VORN_REPORT(QStringLiteral("Error to redone command. Try to undone."));
        m_stack->undo();
    } catch (...) {
        VORN_REPORT_UNKNOWN_EXCEPTION();
        throw;
    }
}

void VornUndoStack::setIndex(int idx)
{
    PushPendingDelayed();
    emit aboutIndexChanged();
    if (idx <= m_stack->count())
        m_stack->setIndex(idx);
}

void VornUndoStack::clear()
{
    delete m_delayedCommand;
    m_delayedCommand = nullptr;
    emit aboutIndexChanged();
    m_stack->clear();
    m_rows.clear();
}

int VornUndoStack::count() const
{
    return m_rows.size();
}

int VornUndoStack::index() const
{
    return m_stack->index() + (m_delayedCommand ? 1 : 0);
}

bool VornUndoStack::canUndo() const
{
    return m_delayedCommand ? true : m_stack->canUndo();
}

bool VornUndoStack::canRedo() const
{
    return m_delayedCommand ? false : m_stack->canRedo();
}

QString VornUndoStack::undoText() const
{
    return m_delayedCommand ? m_delayedCommand->text() : m_stack->undoText();
}

QString VornUndoStack::redoText() const
{
    return m_delayedCommand ? m_delayedCommand->text() : m_stack->redoText();
}

const QUndoCommand* VornUndoStack::command(int index) const
{
    if (index >= 0 && index < m_stack->count())
        return m_stack->command(index);
    if (index >= 0 && index < count() && m_delayedCommand)
        return m_delayedCommand;
    return nullptr;
}

QString VornUndoStack::text(int index) const
{
    const QUndoCommand* entry = command(index);
    return entry ? entry->text() : QString();
}

QVariant VornUndoStack::GetItemMeta(int row, int role) const
{
    if (row < 0 || row >= m_rows.size())
        return QVariant();
    switch (role) {
    case 0:
        return m_rows.at(row).value(0);
    case 1:
        return QVariant(VornCommand::GetIcon(m_rows.at(row).value(1).toString()));
    default:
        return QVariant();
    }
}

bool VornUndoStack::isActive() const
{
    return m_stack->isActive();
}

void VornUndoStack::setActive(bool active)
{
    m_stack->setActive(active);
}

bool VornUndoStack::isClean() const
{
    return m_stack->isClean();
}

void VornUndoStack::setClean()
{
    m_stack->setClean();
}

int VornUndoStack::cleanIndex() const
{
    return m_stack->cleanIndex();
}

int VornUndoStack::undoLimit() const
{
    return m_stack->undoLimit();
}

void VornUndoStack::setUndoLimit(int limit)
{
    m_stack->setUndoLimit(limit);
}

QAction* VornUndoStack::createUndoAction(QObject* parent, const QString& prefix) const
{
    return m_stack->createUndoAction(parent, prefix);
}

QAction* VornUndoStack::createRedoAction(QObject* parent, const QString& prefix) const
{
    return m_stack->createRedoAction(parent, prefix);
}

#pragma once

#include <QCoreApplication>
#include <QtTest>

#include <memory>
#include <stdexcept>

#include "testcommands.h"
#include "vornundostack.h"

// Runs stack operations separated by "; ": push NAME, delayed NAME (a live
// edit), throw (a push whose execution throws), undo, redo, commit,
// setIndex N, begin NAME, end, clear, initial [NAME] (SetInitialMeta, "Open"
// unless named), limit N,
// events. Commands log into log and take their name as icon.
inline void RunStackScript(VornUndoStack& stack, QStringList* log, const QString& operations)
{
    for (const QString& operation : operations.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
        const QStringList words = operation.split(QLatin1Char(' '));
        const QString& word = words[0];
        const QString argument = words.value(1);
        if (word == QLatin1String("push") || word == QLatin1String("delayed")) {
            auto* command = new LogCommand(log, argument);
            command->SetIcon(argument);
            word == QLatin1String("push") ? stack.push(command) : stack.pushDelayed(command);
        } else if (word == QLatin1String("throw")) {
            auto command = std::make_unique<LogCommand>(log, QStringLiteral("fails"));
            command->throwOnRedo = LogCommand::Standard;
            QVERIFY_EXCEPTION_THROWN(stack.push(command.get()), std::runtime_error);
        } else if (word == QLatin1String("undo")) {
            stack.undo();
        } else if (word == QLatin1String("redo")) {
            stack.redo();
        } else if (word == QLatin1String("commit")) {
            stack.commit();
        } else if (word == QLatin1String("setIndex")) {
            stack.setIndex(argument.toInt());
        } else if (word == QLatin1String("begin")) {
            stack.beginMacro(argument, argument);
        } else if (word == QLatin1String("end")) {
            stack.endMacro();
        } else if (word == QLatin1String("clear")) {
            stack.clear();
        } else if (word == QLatin1String("initial")) {
            stack.SetInitialMeta(argument.isEmpty() ? QStringLiteral("Open") : argument, QStringLiteral("open"));
        } else if (word == QLatin1String("limit")) {
            stack.setUndoLimit(argument.toInt());
        } else if (word == QLatin1String("events")) {
            QCoreApplication::processEvents();
        } else {
            QFAIL(qPrintable("unknown operation " + operation));
        }
    }
}

// The text of each of the stack's rows.
inline QStringList RowTexts(const VornUndoStack& stack)
{
    QStringList texts;
    for (int row = 0; row < stack.count(); ++row)
        texts << stack.GetItemMeta(row, 0).toString();
    return texts;
}

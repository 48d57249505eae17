#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

#include "KXDocumentInterface.h"
#include "documentfingerprint.h"
#include "vorncommand.h"
#include "vorncommanddataserializer.h"
#include "vornundostack.h"

// A stack whose records go to a private temporary folder, as a host sets it up.
struct HistoryFixture
{
    QTemporaryDir folder;
    VornUndoStack stack{nullptr};

    HistoryFixture()
    {
        stack.setTemporaryFolder(QDir(folder.path()));
        stack.SetInitialMeta(QStringLiteral("Open"), QStringLiteral("open"));
    }

    // Lets the worker write every queued record (and release its payload).
    void WaitWritten() { stack.GetSerializer()->WaitForIdle(); }

    // The record files in the folder now.
    int FileCount() const { return QDir(folder.path()).entryList(QDir::Files).size(); }
};

// Compares two fingerprints; on a difference the current test fails with what differs.
inline void CompareFingerprints(const DocumentFingerprint& actual, const DocumentFingerprint& expected, const char* when)
{
    const QStringList differences = actual.Differences(expected);
    if (!differences.isEmpty())
        QFAIL(qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(when), differences.join(QStringLiteral("; ")))));
}

// The round trip every command test shares: push the command (its redo runs),
// let the worker write its record to the temporary file, then undo and redo
// `cycles` times, each read back from that file. After every undo the document
// must equal what it was before the push, after every redo what the push left.
// `extra` (optional) adds checks on state the fingerprint does not cover; it is
// called with true after each redo and false after each undo.
inline void CheckRoundTrip(HistoryFixture& history, const KXDocumentInterface& document, VornCommand* command,
    int cycles = 2, const std::function<void(bool redone)>& extra = {})
{
    const DocumentFingerprint before = DocumentFingerprint::Take(document);
    history.stack.push(command);
    history.WaitWritten();
    const DocumentFingerprint after = DocumentFingerprint::Take(document);
    if (extra)
        extra(true);
    for (int cycle = 0; cycle < cycles && !QTest::currentTestFailed(); ++cycle) {
        history.stack.undo();
        history.WaitWritten();
        CompareFingerprints(DocumentFingerprint::Take(document), before, "after undo");
        if (extra && !QTest::currentTestFailed())
            extra(false);
        if (QTest::currentTestFailed())
            return;
        history.stack.redo();
        history.WaitWritten();
        CompareFingerprints(DocumentFingerprint::Take(document), after, "after redo");
        if (extra && !QTest::currentTestFailed())
            extra(true);
    }
}

// The undo and redo cycles of CheckRoundTrip for a command already on the
// stack (pushed after the host changed the document, or committed from a live
// edit): after every undo the document must equal `before`, after every redo
// what it is now. `extra` as in CheckRoundTrip.
inline void CheckUndoRedo(HistoryFixture& history, const KXDocumentInterface& document,
    const DocumentFingerprint& before, int cycles = 2, const std::function<void(bool redone)>& extra = {})
{
    history.WaitWritten();
    const DocumentFingerprint after = DocumentFingerprint::Take(document);
    for (int cycle = 0; cycle < cycles && !QTest::currentTestFailed(); ++cycle) {
        history.stack.undo();
        history.WaitWritten();
        CompareFingerprints(DocumentFingerprint::Take(document), before, "after undo");
        if (extra && !QTest::currentTestFailed())
            extra(false);
        if (QTest::currentTestFailed())
            return;
        history.stack.redo();
        history.WaitWritten();
        CompareFingerprints(DocumentFingerprint::Take(document), after, "after redo");
        if (extra && !QTest::currentTestFailed())
            extra(true);
    }
}

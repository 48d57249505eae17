#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "recordtesting.h"
#include "stackscript.h"
#include "vorncommanddataserializer.h"
#include "vornundostack.h"

namespace {

// Records the stack's signals into a log, with their arguments.
void recordSignals(VornUndoStack* stack, QStringList* log)
{
    QObject::connect(stack, &VornUndoStack::canRedoChanged, [log](bool v) { *log << QStringLiteral("canRedo %1").arg(v); });
    QObject::connect(stack, &VornUndoStack::canUndoChanged, [log](bool v) { *log << QStringLiteral("canUndo %1").arg(v); });
    QObject::connect(stack, &VornUndoStack::cleanChanged, [log](bool v) { *log << QStringLiteral("clean %1").arg(v); });
    QObject::connect(stack, &VornUndoStack::indexChanged, [log](int v) { *log << QStringLiteral("index %1").arg(v); });
    QObject::connect(stack, &VornUndoStack::redoTextChanged, [log](const QString& v) { *log << "redoText " + v; });
    QObject::connect(stack, &VornUndoStack::undoTextChanged, [log](const QString& v) { *log << "undoText " + v; });
    QObject::connect(stack, &VornUndoStack::aboutIndexChanged, [log] { *log << QStringLiteral("aboutIndex"); });
    QObject::connect(stack, &VornUndoStack::aboutCommit, [log] { *log << QStringLiteral("aboutCommit"); });
}

QString report(const QString& body)
{
    return QStringLiteral("^Build date=%1, time=%2\\. %3$").arg(reportDatePattern(), reportTimePattern(), body);
}
const QString kFailure = QStringLiteral("Line=\\d+, file=\"src/vornundostack\\.cpp\"\\. ");
const QString kException = QStringLiteral(
    "Unexpected exception: line=\\d+, file=\"src/vornundostack\\.cpp\"\\. Exception content:\"%1 failed\"");
const QString kUnknown = QStringLiteral("Unexpected unknown exception: line=\\d+, file=\"src/vornundostack\\.cpp\"");

} // namespace

class TestVornUndoStack : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_folder.isValid()); }
    void init()
    {
        m_log.clear();
        m_stack.reset(new VornUndoStack);
        m_stack->setTemporaryFolder(QDir(m_folder.path()));
        m_stack->SetInitialMeta(QStringLiteral("Open"), QStringLiteral("open"));
    }
    void cleanup()
    {
        m_stack.reset();
        QCOMPARE(PayloadData::liveCount(), 0);
        QVERIFY(QDir(m_folder.path()).entryList(QDir::Files).isEmpty());
    }

    void itemMetaRoles()
    {
        const QImage icon = PatternImage(3, 3, 1).ToQImage();
        VornCommand::SetIcon(QStringLiteral("stroke"), icon);
        RunStackScript(*m_stack, &m_log, QStringLiteral("push stroke"));
        QCOMPARE(m_stack->GetItemMeta(1, 0).toString(), QStringLiteral("stroke"));
        QCOMPARE(m_stack->GetItemMeta(1, 1).value<QImage>(), icon);
        QVERIFY(m_stack->GetItemMeta(0, 1).value<QImage>().isNull()); // "open" was never registered
        QVERIFY(!m_stack->GetItemMeta(1, 2).isValid());
        QVERIFY(!m_stack->GetItemMeta(5, 0).isValid());
    }

    // A live edit is the top row and the command to redo, held apart from the stack.
    void delayedCommandIsOnTop()
    {
        RunStackScript(*m_stack, &m_log, QStringLiteral("push a; delayed slide"));
        QCOMPARE(m_stack->count(), 3);
        QCOMPARE(m_stack->redoText(), QStringLiteral("slide"));
        QCOMPARE(m_stack->command(1), m_stack->delayedCommand());
    }

    void commitEmitsAndGuardsReentry()
    {
        int aboutCommits = 0;
        connect(m_stack.get(), &VornUndoStack::aboutCommit, this, [&] {
            ++aboutCommits;
            m_stack->commit(); // returns at once
        });
        m_stack->commit();
        QCOMPARE(aboutCommits, 1);
    }

    // Signals (in order) and what the commands did during a script's last
    // part; then the rows, index and how many records the serializer holds.
    void rows_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("records");
        QTest::addColumn<QStringList>("log");
        const QStringList oa{"Open", "a"};
        const QStringList abc{"Open", "a", "b", "c"};
        QTest::newRow("push") << "" << "push a" << oa << 1 << 1
            << QStringList{"end:a", "aboutIndex", "redo:a", "index 1", "canUndo 1", "undoText a", "canRedo 0",
                "redoText ", "clean 0"};
        QTest::newRow("undo") << "push a" << "undo" << oa << 0 << 1
            << QStringList{"aboutIndex", "undo:a", "index 0", "canUndo 0", "undoText ", "canRedo 1", "redoText a",
                "clean 1"};
        QTest::newRow("redo") << "push a; undo" << "redo" << oa << 1 << 1
            << QStringList{"aboutIndex", "redo:a", "index 1", "canUndo 1", "undoText a", "canRedo 0", "redoText ",
                "clean 0"};
        // The first initial row emits its index; a later one only renames it.
        QTest::newRow("initial row") << "push a; clear" << "initial; initial Renamed" << QStringList{"Renamed"} << 0
            << 0
            << QStringList{"index 0"};
        QTest::newRow("commit") << "delayed type" << "commit" << QStringList{"Open", "type"} << 1 << 1
            << QStringList{"aboutCommit", "end:type", "aboutIndex", "redo:type", "index 1", "canUndo 1", "undoText type",
                "canRedo 0", "redoText ", "clean 0"};
        QTest::newRow("undone rows stay") << "push a; push b; push c; undo" << "undo" << abc << 1 << 3
            << QStringList{"aboutIndex", "undo:b", "index 1", "canUndo 1", "undoText a", "canRedo 1", "redoText b"};
        QTest::newRow("push cuts undone rows") << "push a; push b; push c; undo; undo" << "push d"
            << QStringList{"Open", "a", "d"} << 2 << 2
            << QStringList{"end:d", "aboutIndex", "redo:d", "index 2", "canUndo 1", "undoText d", "canRedo 0",
                "redoText "};
        QTest::newRow("setIndex") << "push a; push b; push c" << "setIndex 1" << abc << 1 << 3
            << QStringList{"aboutIndex", "undo:c", "undo:b", "index 1", "canUndo 1", "undoText a", "canRedo 1",
                "redoText b"};
        QTest::newRow("setIndex too far") << "push a; push b; push c; setIndex 1" << "setIndex 4" << abc << 1 << 3
            << QStringList{"aboutIndex"};
        QTest::newRow("macro is one row") << "begin Merge; push a; push b; end" << "undo"
            << QStringList{"Open", "Merge"} << 0 << 2
            << QStringList{"aboutIndex", "undo:b", "undo:a", "index 0", "canUndo 0", "undoText ", "canRedo 1",
                "redoText Merge", "clean 1"};
        QTest::newRow("undo limit") << "limit 2; push a; push b; push c" << "push d"
            << QStringList{"Open", "c", "d"} << 2 << 2
            << QStringList{"end:d", "aboutIndex", "redo:d", "index 2", "canUndo 1", "undoText d", "canRedo 0",
                "redoText "};
        QTest::newRow("live edit") << "push a" << "delayed slide" << QStringList{"Open", "a", "slide"} << 2 << 1
            << QStringList{"undoText slide", "begin:slide", "index 2", "canRedo 0", "canUndo 1"};
        // A second live edit commits the first; undo commits the live edit, then reverts it.
        QTest::newRow("live edit after a live edit") << "push a; delayed b" << "delayed c" << abc << 3 << 2
            << QStringList{"end:b", "aboutIndex", "redo:b", "index 2", "canUndo 1", "undoText b", "canRedo 0",
                "redoText ", "undoText c", "begin:c", "index 3", "canRedo 0", "canUndo 1"};
        QTest::newRow("undo of a live edit") << "push a; delayed b; delayed c" << "undo" << abc << 2 << 3
            << QStringList{"end:c", "aboutIndex", "redo:c", "index 3", "canUndo 1", "undoText c", "canRedo 0",
                "redoText ", "aboutIndex", "undo:c", "index 2", "canUndo 1", "undoText b", "canRedo 1", "redoText c"};
        QTest::newRow("clear drops the live edit") << "push a; delayed drag" << "clear" << QStringList{} << 0 << 0
            << QStringList{"aboutIndex", "index 0", "canUndo 0", "undoText ", "canRedo 0", "redoText ", "clean 1"};
        // A pending live edit taken inside a macro (by endMacro, a push or a
        // commit) keeps the row pushDelayed recorded, where the macro's row was.
        const QString inMacro = QStringLiteral("push p; begin M; delayed a");
        const QStringList pa{"Open", "p", "a"};
        QTest::newRow("live edit in macro, endMacro") << inMacro << "end; undo" << pa << 1 << 2
            << QStringList{"end:a", "aboutIndex", "redo:a", "index 2", "canUndo 1", "undoText M", "canRedo 0",
                "redoText ", "aboutIndex", "undo:a", "index 1", "canUndo 1", "undoText p", "canRedo 1", "redoText M"};
        QTest::newRow("live edit in macro, push") << inMacro << "push b; end; undo" << pa << 1 << 3
            << QStringList{"end:a", "aboutIndex", "redo:a", "end:b", "aboutIndex", "redo:b", "index 2", "canUndo 1",
                "undoText M", "canRedo 0", "redoText ", "aboutIndex", "undo:b", "undo:a", "index 1", "canUndo 1",
                "undoText p", "canRedo 1", "redoText M"};
        QTest::newRow("live edit in macro, commit") << inMacro << "commit; end; undo" << pa << 1 << 2
            << QStringList{"aboutCommit", "end:a", "aboutIndex", "redo:a", "index 2", "canUndo 1", "undoText M",
                "canRedo 0", "redoText ", "aboutIndex", "undo:a", "index 1", "canUndo 1", "undoText p", "canRedo 1",
                "redoText M"};
    }
    void rows()
    {
        QFETCH(QString, before);
        QFETCH(QString, operation);
        QFETCH(QStringList, rows);
        QFETCH(int, index);
        QFETCH(int, records);
        QFETCH(QStringList, log);
        RunStackScript(*m_stack, &m_log, before);
        m_log.clear();
        recordSignals(m_stack.get(), &m_log);
        RunStackScript(*m_stack, &m_log, operation);
        QCOMPARE(m_log, log);
        QCOMPARE(RowTexts(*m_stack), rows);
        QCOMPARE(m_stack->index(), index);
        QCOMPARE(m_stack->GetSerializer()->GetDataCount(), records);
        QCOMPARE(m_stack->hasDelayed(), operation.startsWith(QLatin1String("delayed")));
    }

    void exceptions_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("reports");
        QTest::addColumn<bool>("rethrown");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("index");
        const QString redoException = kException.arg(QStringLiteral("redo"));
        const QString undoException = kException.arg(QStringLiteral("undo"));
        const int standard = LogCommand::Standard;
        const int other = LogCommand::Other;
        const QStringList ab{"Open", "a", "b"};
        // A failed push leaves its row above the index, as the algorithm appends it before executing.
        QTest::newRow("push standard") << "push" << standard << QStringList{redoException} << true << ab << 1;
        QTest::newRow("push other") << "push" << other << QStringList{kUnknown} << true << ab << 1;
        QTest::newRow("undo standard") << "undo" << standard
                                       << QStringList{undoException, kFailure + "Error to undone command\\."} << false
                                       << ab << 2;
        QTest::newRow("undo other") << "undo" << other << QStringList{kUnknown, kFailure + "Error to undone command\\."}
                                    << true << ab << 2;
        QTest::newRow("redo standard")
            << "redo" << standard
            << QStringList{redoException, kFailure + "Error to redone command\\. Try to undone\\."} << false << ab << 0;
        QTest::newRow("redo other") << "redo" << other << QStringList{kUnknown} << true << ab << 1;
        QTest::newRow("pushDelayed standard") << "pushDelayed" << standard
                                              << QStringList{redoException, redoException} << false
                                              << QStringList{"Open", "a", "next"} << 2;
        QTest::newRow("pushDelayed other") << "pushDelayed" << other << QStringList{kUnknown, kUnknown} << true
                                           << ab << 1;
        QTest::newRow("commit standard") << "commit" << standard << QStringList{redoException, redoException}
                                         << false << ab << 1;
        QTest::newRow("commit other") << "commit" << other << QStringList{kUnknown, kUnknown} << true << ab << 1;
    }
    void exceptions()
    {
        QFETCH(QString, entry);
        QFETCH(int, kind);
        QFETCH(QStringList, reports);
        QFETCH(bool, rethrown);
        QFETCH(QStringList, rows);
        QFETCH(int, index);
        const auto throwing = LogCommand::Throw(kind);
        m_stack->push(new LogCommand(&m_log, QStringLiteral("a")));
        auto* failing = new LogCommand(&m_log, QStringLiteral("b"));
        std::unique_ptr<LogCommand> owned; // what the caller still owns after a failed call
        if (entry == QLatin1String("undo") || entry == QLatin1String("redo")) {
            m_stack->push(failing);
            if (entry == QLatin1String("redo"))
                m_stack->undo();
            (entry == QLatin1String("undo") ? failing->throwOnUndo : failing->throwOnRedo) = throwing;
        } else {
            failing->throwOnRedo = throwing;
        }
        auto* next = new LogCommand(&m_log, QStringLiteral("next"));
        if (entry != QLatin1String("pushDelayed"))
            owned.reset(next);

        MessageCapture capture;
        bool threw = false;
        try {
            if (entry == QLatin1String("push")) {
                owned.reset(failing);
                m_stack->push(failing);
            } else if (entry == QLatin1String("undo")) {
                m_stack->undo();
            } else if (entry == QLatin1String("redo")) {
                m_stack->redo();
            } else if (entry == QLatin1String("pushDelayed")) {
                m_stack->pushDelayed(failing);
                m_stack->pushDelayed(next);
            } else {
                m_stack->pushDelayed(failing);
                m_stack->commit();
            }
        } catch (...) {
            threw = true;
        }
        if (entry == QLatin1String("pushDelayed") && threw)
            owned.reset(next); // not taken when the old command's failure was rethrown
        QCOMPARE(threw, rethrown);
        for (QString& pattern : reports)
            pattern = report(pattern);
        CompareReports(capture.texts(), reports);
        QCOMPARE(RowTexts(*m_stack), rows);
        QCOMPARE(m_stack->index(), index);
        if (entry == QLatin1String("pushDelayed") || entry == QLatin1String("commit")) {
            // A live edit whose commit failed is reverted when the failure was a standard one.
            QCOMPARE(m_log.contains("undo:b"), kind == LogCommand::Standard);
        }
        // The stack keeps working.
        m_stack->commit();
        m_stack->push(new LogCommand(&m_log, QStringLiteral("after")));
        QCOMPARE(m_stack->GetItemMeta(m_stack->count() - 1, 0).toString(), QStringLiteral("after"));
    }

private:
    QTemporaryDir m_folder;
    QStringList m_log;
    std::unique_ptr<VornUndoStack> m_stack;
};

QTEST_MAIN(TestVornUndoStack)
#include "tst_vornundostack.moc"

#include <QMetaMethod>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "messagecapture.h"
#include "testcommands.h"
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

QStringList rowTexts(const VornUndoStack& stack)
{
    QStringList texts;
    for (int row = 0; row < stack.count(); ++row)
        texts << stack.GetItemMeta(row, 0).toString();
    return texts;
}

QString report(const QString& body)
{
    return QStringLiteral("^Build date=%1, time=%2\\. %3$").arg(reportDatePattern(), reportTimePattern(), body);
}
const QString kFailure = QStringLiteral("Line=\\d+, file=\"src/vornundostack\\.cpp\"\\. ");
const QString kException = QStringLiteral(
    "Unexpected exception: line=\\d+, file=\"src/vornundostack\\.cpp\"\\. Exception content:\"%1 failed\"");
const QString kUnknown = QStringLiteral("Unexpected unknown exception: line=\\d+, file=\"src/vornundostack\\.cpp\"");

void compareReports(const QStringList& actual, const QStringList& patterns)
{
    QCOMPARE(actual.size(), patterns.size());
    for (int i = 0; i < patterns.size(); ++i)
        QVERIFY2(QRegularExpression(report(patterns[i])).match(actual[i]).hasMatch(), qPrintable(actual[i]));
}

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

    void metaObjectOrder()
    {
        const QMetaObject& meta = VornUndoStack::staticMetaObject;
        QStringList methods;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
            methods << QString::fromLatin1(meta.method(i).methodSignature());
        QCOMPARE(methods, (QStringList{"canRedoChanged(bool)", "canUndoChanged(bool)", "cleanChanged(bool)",
                                       "indexChanged(int)", "redoTextChanged(QString)", "undoTextChanged(QString)",
                                       "aboutIndexChanged()", "aboutCommit()", "redo()", "setActive(bool)",
                                       "setActive()", "setClean()", "setIndex(int)", "undo()"}));
    }

    void initialMeta()
    {
        VornUndoStack stack;
        QSignalSpy index(&stack, &VornUndoStack::indexChanged);
        stack.SetInitialMeta(QStringLiteral("New"), QStringLiteral("new"));
        QCOMPARE(index.size(), 1);
        QCOMPARE(index.first().first().toInt(), 0);
        stack.SetInitialMeta(QStringLiteral("Renamed"), QStringLiteral("new"));
        QCOMPARE(index.size(), 1);
        QCOMPARE(rowTexts(stack), QStringList{"Renamed"});
    }

    void pushSignalsInOrder()
    {
        recordSignals(m_stack.get(), &m_log);
        m_stack->push(new LogCommand(&m_log, QStringLiteral("a")));
        QCOMPARE(m_log, (QStringList{"end:a", "aboutIndex", "redo:a", "index 1", "canUndo 1", "undoText a",
                                     "canRedo 0", "redoText ", "clean 0"}));
        m_log.clear();
        m_stack->undo();
        QCOMPARE(m_log, (QStringList{"aboutIndex", "undo:a", "index 0", "canUndo 0", "undoText ", "canRedo 1",
                                     "redoText a", "clean 1"}));
        m_log.clear();
        m_stack->redo();
        QCOMPARE(m_log, (QStringList{"aboutIndex", "redo:a", "index 1", "canUndo 1", "undoText a", "canRedo 0",
                                     "redoText ", "clean 0"}));
        m_log.clear();
        m_stack->clear();
        QCOMPARE(m_log.first(), QStringLiteral("aboutIndex"));
        QCOMPARE(m_stack->count(), 0);
    }

    void newPushCutsUndoneRows()
    {
        for (const char* name : {"a", "b", "c"})
            m_stack->push(new LogCommand(&m_log, QString::fromLatin1(name)));
        m_stack->undo();
        m_stack->undo();
        QCOMPARE(m_stack->count(), 4); // undone rows stay until the next push
        m_stack->push(new LogCommand(&m_log, QStringLiteral("d")));
        QCOMPARE(rowTexts(*m_stack), (QStringList{"Open", "a", "d"}));
        QCOMPARE(m_stack->index(), 2);
    }

    void itemMetaRoles()
    {
        QImage icon(3, 3, QImage::Format_ARGB32);
        icon.fill(Qt::green);
        VornCommand::SetIcon(QStringLiteral("stroke"), icon);
        auto* command = new LogCommand(&m_log, QStringLiteral("Brush"));
        command->SetIcon(QStringLiteral("stroke"));
        m_stack->push(command);
        QCOMPARE(m_stack->GetItemMeta(1, 0).toString(), QStringLiteral("Brush"));
        QCOMPARE(m_stack->GetItemMeta(1, 1).value<QImage>(), icon);
        QVERIFY(m_stack->GetItemMeta(0, 1).value<QImage>().isNull()); // "open" was never registered
        QVERIFY(!m_stack->GetItemMeta(1, 2).isValid());
        QVERIFY(!m_stack->GetItemMeta(5, 0).isValid());
    }

    void dataGoesThroughTheTemporaryFile()
    {
        const QByteArray payload(300000, 'p');
        m_stack->push(new LogCommand(&m_log, QStringLiteral("a"), payload));
        m_stack->push(new LogCommand(&m_log, QStringLiteral("b")));
        m_stack->GetSerializer()->WaitForIdle();
        QCOMPARE(QDir(m_folder.path()).entryList(QDir::Files).size(), 2);
        m_log.clear();
        m_stack->undo();
        m_stack->undo();
        m_stack->redo();
        QCOMPARE(m_log, (QStringList{"undo:b", "undo:" + QString::fromLatin1(payload), "redo:" + QString::fromLatin1(payload)}));
    }

    void setIndexMovesAndIgnoresTooFar()
    {
        for (const char* name : {"a", "b", "c"})
            m_stack->push(new LogCommand(&m_log, QString::fromLatin1(name)));
        m_log.clear();
        m_stack->setIndex(1);
        QCOMPARE(m_log, (QStringList{"undo:c", "undo:b"}));
        QSignalSpy about(m_stack.get(), &VornUndoStack::aboutIndexChanged);
        m_log.clear();
        m_stack->setIndex(4);
        QCOMPARE(about.size(), 1);
        QVERIFY(m_log.isEmpty());
        QCOMPARE(m_stack->index(), 1);
    }

    void delayedCommandLifecycle()
    {
        m_stack->push(new LogCommand(&m_log, QStringLiteral("a")));
        recordSignals(m_stack.get(), &m_log);
        m_log.clear();
        m_stack->pushDelayed(new LogCommand(&m_log, QStringLiteral("slide")));
        QCOMPARE(m_log, (QStringList{"undoText slide", "begin:slide", "index 2", "canRedo 0", "canUndo 1"}));
        QCOMPARE(m_stack->count(), 3);
        QCOMPARE(m_stack->redoText(), QStringLiteral("slide"));
        QCOMPARE(m_stack->command(1), m_stack->delayedCommand());

        m_log.clear();
        m_stack->pushDelayed(new LogCommand(&m_log, QStringLiteral("slide2")));
        QCOMPARE(m_log.mid(0, 2), (QStringList{"end:slide", "aboutIndex"})); // the first one is committed
        QVERIFY(m_log.contains("redo:slide"));
        QCOMPARE(rowTexts(*m_stack), (QStringList{"Open", "a", "slide", "slide2"}));
        QCOMPARE(m_stack->index(), 3);

        m_log.clear();
        m_stack->undo(); // commits the live edit, then reverts it
        QCOMPARE(m_log.first(), QStringLiteral("end:slide2"));
        QVERIFY(m_log.indexOf("redo:slide2") < m_log.indexOf("undo:slide2"));
        QVERIFY(!m_stack->hasDelayed());
        QCOMPARE(m_stack->index(), 2);
        QCOMPARE(m_stack->count(), 4);
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

        m_stack->pushDelayed(new LogCommand(&m_log, QStringLiteral("type")));
        m_stack->commit();
        QCOMPARE(aboutCommits, 2);
        QCOMPARE(m_log, (QStringList{"begin:type", "end:type", "redo:type"}));
        QCOMPARE(rowTexts(*m_stack), (QStringList{"Open", "type"}));
    }

    void clearDiscardsTheDelayedCommand()
    {
        m_stack->pushDelayed(new LogCommand(&m_log, QStringLiteral("drag")));
        m_stack->clear();
        QCOMPARE(m_log, QStringList{"begin:drag"});
        QVERIFY(!m_stack->hasDelayed());
        QCOMPARE(m_stack->count(), 0);
    }

    void macroRecordsOneRow()
    {
        m_stack->beginMacro(QStringLiteral("Merge"), QStringLiteral("merge"));
        m_stack->push(new LogCommand(&m_log, QStringLiteral("a")));
        m_stack->push(new LogCommand(&m_log, QStringLiteral("b")));
        m_stack->endMacro();
        QCOMPARE(rowTexts(*m_stack), (QStringList{"Open", "Merge"}));
        m_log.clear();
        m_stack->undo();
        QCOMPARE(m_log, (QStringList{"undo:b", "undo:a"}));
    }

    // A pending live edit taken inside a macro (by endMacro, a push or a commit)
    // keeps the row pushDelayed recorded; it stands where the macro's row was.
    void delayedInMacroKeepsItsRow_data()
    {
        QTest::addColumn<QString>("taker");
        QTest::newRow("endMacro") << "endMacro";
        QTest::newRow("push") << "push";
        QTest::newRow("commit") << "commit";
    }
    void delayedInMacroKeepsItsRow()
    {
        QFETCH(QString, taker);
        m_stack->push(new LogCommand(&m_log, QStringLiteral("p")));
        m_stack->beginMacro(QStringLiteral("M"), QStringLiteral("macro"));
        m_stack->pushDelayed(new LogCommand(&m_log, QStringLiteral("a")));
        if (taker == QLatin1String("push"))
            m_stack->push(new LogCommand(&m_log, QStringLiteral("b")));
        else if (taker == QLatin1String("commit"))
            m_stack->commit();
        m_stack->endMacro();
        QCOMPARE(rowTexts(*m_stack), (QStringList{"Open", "p", "a"}));
        QCOMPARE(m_stack->index(), 2);
        QVERIFY(!m_stack->hasDelayed());
        m_stack->undo();
        QCOMPARE(m_stack->index(), 1);
        QCOMPARE(m_stack->count(), 3);
    }

    void undoLimitDropsRowsWithTheirCommands()
    {
        m_stack->setUndoLimit(2);
        for (const char* name : {"a", "b", "c", "d"})
            m_stack->push(new LogCommand(&m_log, QString::fromLatin1(name)));
        QCOMPARE(rowTexts(*m_stack), (QStringList{"Open", "c", "d"}));
        QCOMPARE(m_stack->index(), 2);
        QCOMPARE(m_stack->GetSerializer()->GetDataCount(), 2);
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
        // A failed push leaves its row above the index, as the algorithm appends it before executing.
        QTest::newRow("push standard") << "push" << standard << QStringList{redoException} << true
                                       << QStringList{"Open", "a", "b"} << 1;
        QTest::newRow("push other") << "push" << other << QStringList{kUnknown} << true
                                    << QStringList{"Open", "a", "b"} << 1;
        QTest::newRow("undo standard") << "undo" << standard
                                       << QStringList{undoException, kFailure + "Error to undone command\\."} << false
                                       << QStringList{"Open", "a", "b"} << 2;
        QTest::newRow("undo other") << "undo" << other << QStringList{kUnknown, kFailure + "Error to undone command\\."}
                                    << true << QStringList{"Open", "a", "b"} << 2;
        QTest::newRow("redo standard")
            << "redo" << standard
            << QStringList{redoException, kFailure + "Error to redone command\\. Try to undone\\."} << false
            << QStringList{"Open", "a", "b"} << 0;
        QTest::newRow("redo other") << "redo" << other << QStringList{kUnknown} << true << QStringList{"Open", "a", "b"}
                                    << 1;
        QTest::newRow("pushDelayed standard") << "pushDelayed" << standard
                                              << QStringList{redoException, redoException} << false
                                              << QStringList{"Open", "a", "next"} << 2;
        QTest::newRow("pushDelayed other") << "pushDelayed" << other << QStringList{kUnknown, kUnknown} << true
                                           << QStringList{"Open", "a", "b"} << 1;
        QTest::newRow("commit standard") << "commit" << standard << QStringList{redoException, redoException}
                                         << false << QStringList{"Open", "a", "b"} << 1;
        QTest::newRow("commit other") << "commit" << other << QStringList{kUnknown, kUnknown} << true
                                      << QStringList{"Open", "a", "b"} << 1;
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
        compareReports(capture.texts(), reports);
        QCOMPARE(rowTexts(*m_stack), rows);
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

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "recordtesting.h"
#include "stackscript.h"
#include "vorncommanddataserializer.h"
#include "vornhistorymodel.h"
#include "vornundostack.h"

namespace {

// Records the model's row signals: "insert 1-1", "remove 2-3", "look 2-2"
// (text or icon), "state 0-1" (current and undone rows), "reset". The byte
// roles follow the worker thread's timing and are left out.
void recordModel(VornHistoryModel* model, QStringList* log)
{
    const auto range = [](int first, int last) { return QStringLiteral("%1-%2").arg(first).arg(last); };
    QObject::connect(model, &QAbstractItemModel::rowsInserted, [=](const QModelIndex&, int first, int last) {
        *log << "insert " + range(first, last);
    });
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, [=](const QModelIndex&, int first, int last) {
        *log << "remove " + range(first, last);
    });
    QObject::connect(model, &QAbstractItemModel::modelReset, [=] { *log << QStringLiteral("reset"); });
    QObject::connect(model, &QAbstractItemModel::dataChanged,
        [=](const QModelIndex& first, const QModelIndex& last, const QVector<int>& roles) {
            if (roles.contains(Qt::DisplayRole))
                *log << "look " + range(first.row(), last.row());
            if (roles.contains(VornHistoryModel::CurrentRole))
                *log << "state " + range(first.row(), last.row());
        });
}

// The model shows exactly the stack's rows.
void compareWithStack(const VornHistoryModel& model, const VornUndoStack& stack)
{
    QCOMPARE(model.rowCount(), stack.count());
    QCOMPARE(model.currentRow(), stack.index());
    for (int row = 0; row < stack.count(); ++row) {
        const QModelIndex index = model.index(row);
        QCOMPARE(index.data(Qt::DisplayRole).toString(), stack.GetItemMeta(row, 0).toString());
        const QImage icon = stack.GetItemMeta(row, 1).value<QImage>();
        QCOMPARE(index.data(Qt::DecorationRole).value<QImage>(), icon);
        QCOMPARE(index.data(Qt::DecorationRole).isValid(), !icon.isNull());
        QCOMPARE(index.data(VornHistoryModel::CurrentRole).toBool(), row == stack.index());
        QCOMPARE(index.data(VornHistoryModel::UndoneRole).toBool(), row > stack.index());
        QCOMPARE(index.data(Qt::ForegroundRole).isValid(), row > stack.index());
    }
}

qint64 filesBytes(const QString& folder)
{
    qint64 bytes = 0;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden))
        bytes += file.size();
    return bytes;
}

} // namespace

class TestVornHistoryModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        for (const char* name : {"open", "a", "b"})
            VornCommand::SetIcon(QLatin1String(name), PatternImage(4, 4, quint32(name[0])).ToQImage());
    }
    void init()
    {
        m_log.clear();
        m_rowLog.clear();
        m_stack.reset(new VornUndoStack);
        m_stack->setTemporaryFolder(QDir(m_folder.path()));
        m_stack->SetInitialMeta(QStringLiteral("Open"), QStringLiteral("open"));
        m_model.reset(new VornHistoryModel(m_stack.get()));
    }
    void cleanup()
    {
        m_model.reset();
        m_stack.reset();
        QCOMPARE(PayloadData::liveCount(), 0);
    }

    void rowSignals_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("operation");
        // What the model sends during the operation, "|" where it returns, then from the event loop.
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("push") << "" << "push a" << QStringList{"insert 1-1", "state 0-1", "|"};
        QTest::newRow("undo") << "push a" << "undo" << QStringList{"state 0-1", "|"};
        QTest::newRow("redo") << "push a; undo" << "redo" << QStringList{"state 0-1", "|"};
        QTest::newRow("setIndex") << "push a; push b; push a" << "setIndex 0" << QStringList{"state 0-3", "|"};
        QTest::newRow("push cuts undone rows") << "push a; push b; push a; undo; undo" << "push c"
                                              << QStringList{"look 2-2", "remove 3-3", "state 1-2", "|"};
        QTest::newRow("live edit") << "push a" << "delayed d" << QStringList{"insert 2-2", "state 1-2", "|"};
        QTest::newRow("commit keeps the row") << "push a; delayed d" << "commit" << QStringList{"|"};
        QTest::newRow("undo of a live edit") << "delayed d" << "undo" << QStringList{"state 0-1", "|"};
        QTest::newRow("macro") << "push a" << "begin m; push b; push c; end"
                               << QStringList{"insert 2-2", "state 1-2", "|"};
        QTest::newRow("open macro shows later") << "" << "begin m" << QStringList{"|", "insert 1-1"};
        QTest::newRow("undo limit drops the oldest") << "limit 2; push a; push b" << "push c"
                                                     << QStringList{"insert 3-3", "|", "remove 1-1"};
        QTest::newRow("clear") << "push a; push b" << "clear"
                               << QStringList{"state 0-2", "|", "remove 0-2"};
        QTest::newRow("initial row after clear") << "push a; clear; events" << "initial"
                                                 << QStringList{"insert 0-0", "|"};
    }
    void rowSignals()
    {
        QFETCH(QString, before);
        QFETCH(QString, operation);
        QFETCH(QStringList, expected);
        QAbstractItemModelTester tester(m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        run(before);
        QCoreApplication::processEvents();
        compareWithStack(*m_model, *m_stack);
        recordModel(m_model.get(), &m_rowLog);
        run(operation);
        m_rowLog << QStringLiteral("|");
        QCoreApplication::processEvents();
        QCOMPARE(m_rowLog, expected);
        compareWithStack(*m_model, *m_stack);
    }

    // Long random runs of stack operations, thrown exceptions included; after
    // each (and the event loop) the model equals the stack, and it never resets.
    void randomSequences_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 2u, 3u, 4u})
            QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }
    void randomSequences()
    {
        QFETCH(quint32, seed);
        MessageCapture capture; // the thrown exceptions' reports
        QAbstractItemModelTester tester(m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        recordModel(m_model.get(), &m_rowLog);
        QRandomGenerator random(seed);
        bool inMacro = false;
        for (int step = 0; step < 400; ++step) {
            const QString name = QStringLiteral("abc").at(int(random.bounded(3)));
            // Pushes three times as often as the rest; "skip" leaves several operations to one event loop run.
            const QString operation = QStringList{"push", "push", "push", "undo", "redo", "setIndex", "delayed",
                "commit", "macro", "throw", "clear", "skip"}[int(random.bounded(12))];
            if (operation == QLatin1String("push") || operation == QLatin1String("delayed")) {
                run(operation + ' ' + name);
            } else if (operation == QLatin1String("setIndex")) {
                m_stack->setIndex(int(random.bounded(m_stack->count() + 2)));
            } else if (operation == QLatin1String("macro")) {
                run(inMacro ? QStringLiteral("end") : "begin " + name);
                inMacro = !inMacro;
            } else if (operation == QLatin1String("clear")) {
                if (random.bounded(8) == 0) {
                    run(QStringLiteral("clear"));
                    inMacro = false;
                    m_stack->setUndoLimit(random.bounded(2) ? 0 : 3 + int(random.bounded(3)));
                    run(QStringLiteral("initial"));
                }
            } else if (operation != QLatin1String("skip")) {
                run(operation);
            } else if (random.bounded(2)) {
                continue;
            }
            QCoreApplication::processEvents();
            compareWithStack(*m_model, *m_stack);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("diverged at step %1").arg(step)));
        }
        QVERIFY(!m_rowLog.contains(QStringLiteral("reset")));
        if (inMacro)
            m_stack->endMacro();
    }

    // The serializer's byte query, and the model's byte roles that show it.
    void dataBytes()
    {
        VornCommandDataSerializer* serializer = m_stack->GetSerializer();
        QCOMPARE(serializer->GetDataBytes(12345).inMemory, 0);
        QSemaphore gate;
        auto* small = new LogCommand(&m_log, QStringLiteral("small"), QByteArray(10, 's'));
        auto* smallData = static_cast<PayloadData*>(small->GetHeldData());
        smallData->gate = &gate; // the worker waits before writing it
        m_stack->push(small);
        smallData->gateEntered.acquire();
        const QModelIndex row1 = m_model->index(1);
        QCOMPARE(serializer->GetDataBytes(small->GetDataIndex()).inMemory, -1);
        QVERIFY(!row1.data(VornHistoryModel::MemoryBytesRole).isValid()); // not known before the write
        QCOMPARE(row1.data(VornHistoryModel::DiskBytesRole).toLongLong(), 0);
        gate.release();
        serializer->WaitForIdle();
        smallData->gate = nullptr;
        const qint64 smallRecord = filesBytes(m_folder.path());
        QVERIFY(smallRecord > 10);
        QTRY_COMPARE(row1.data(VornHistoryModel::DiskBytesRole).toLongLong(), smallRecord); // seen by polling
        QCOMPARE(row1.data(VornHistoryModel::MemoryBytesRole), QVariant(qlonglong(0)));

        // Read back for an execution: in memory as much as on disk, until released again.
        QVERIFY(serializer->GetData(small->GetDataIndex()));
        QCOMPARE(serializer->GetDataBytes(small->GetDataIndex()).inMemory, smallRecord);
        QCOMPARE(serializer->GetDataBytes(small->GetDataIndex()).onDisk, smallRecord);
        serializer->Serialize(small->GetDataIndex());
        serializer->WaitForIdle();
        QCOMPARE(serializer->GetDataBytes(small->GetDataIndex()).inMemory, 0);

        // A macro row holds its commands' bytes; a live edit's are not known yet.
        m_stack->beginMacro(QStringLiteral("Group"), QStringLiteral("a"));
        m_stack->push(new LogCommand(&m_log, QStringLiteral("x"), QByteArray(110, 'x')));
        m_stack->push(new LogCommand(&m_log, QStringLiteral("y"), QByteArray(1010, 'y')));
        m_stack->endMacro();
        m_stack->pushDelayed(new LogCommand(&m_log, QStringLiteral("live")));
        serializer->WaitForIdle();
        m_model->resync();
        QCOMPARE(m_model->index(2).data(VornHistoryModel::DiskBytesRole).toLongLong(), 2 * smallRecord + 1100);
        QCOMPARE(m_model->index(2).data(VornHistoryModel::MemoryBytesRole), QVariant(qlonglong(0)));
        QCOMPARE(filesBytes(m_folder.path()), 3 * smallRecord + 1100);
        QVERIFY(!m_model->index(3).data(VornHistoryModel::MemoryBytesRole).isValid());
        QCOMPARE(m_model->index(3).data(VornHistoryModel::DiskBytesRole).toLongLong(), 0);
    }

    void selectingRowMovesStack()
    {
        run(QStringLiteral("push a; push b"));
        QSignalSpy current(m_model.get(), &VornHistoryModel::currentRowChanged);
        m_model->setCurrentRow(1);
        QCOMPARE(m_stack->index(), 1);
        QCOMPARE(current.size(), 1);
        QCOMPARE(current.first().first().toInt(), 1);
        m_model->setCurrentRow(3);
        m_model->setCurrentRow(-1);
        QCOMPARE(m_stack->index(), 1);
        QCOMPARE(m_model->data(m_model->index(2), Qt::ForegroundRole).value<QBrush>().color(),
            QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text));
    }

    void stackDestroyedEmptiesModel()
    {
        run(QStringLiteral("push a; delayed b"));
        recordModel(m_model.get(), &m_rowLog);
        m_stack.reset();
        // The inner stack clears itself (index 0) before it goes.
        QCOMPARE(m_rowLog, (QStringList{"state 0-2", "remove 0-2"}));
        QCOMPARE(m_model->rowCount(), 0);
        QCOMPARE(m_model->currentRow(), -1);
        QVERIFY(!m_model->stack());
        m_model->setCurrentRow(0);
        QCoreApplication::processEvents();
    }

private:
    void run(const QString& operations) { RunStackScript(*m_stack, &m_log, operations); }

    QTemporaryDir m_folder;
    QStringList m_log; // what the commands did
    QStringList m_rowLog; // what the model sent
    std::unique_ptr<VornUndoStack> m_stack;
    std::unique_ptr<VornHistoryModel> m_model;
};

QTEST_MAIN(TestVornHistoryModel)
#include "tst_vornhistorymodel.moc"

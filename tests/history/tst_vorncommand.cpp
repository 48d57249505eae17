#include <QTemporaryDir>
#include <QtTest>

#include "emptycommanddata.h"
#include "testcommands.h"
#include "vorncommanddataserializer.h"

class TestVornCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_folder.isValid()); }

    // A command built alone executes nothing and owns its data; new data replaces (and destroys) the old.
    void builtCommandDoesNothingAndOwnsItsData()
    {
        QStringList log;
        const int live = PayloadData::liveCount();
        {
            LogCommand command(&log, QStringLiteral("a"));
            QCOMPARE(command.GetDataIndex(), 0xFFFFFFFFu);
            QCOMPARE(command.GetSerializer(), nullptr);
            QCOMPARE(command.GetIcon(), QStringLiteral("default"));
            command.redo();
            command.undo();
            QVERIFY(log.isEmpty());
            QVERIFY(command.SetCommandData(new PayloadData("second")));
            QCOMPARE(PayloadData::liveCount(), live + 1);
        }
        QCOMPARE(PayloadData::liveCount(), live);
    }

    void execBypassesTheSerializer()
    {
        QStringList log;
        LogCommand command(&log, QStringLiteral("a"));
        PayloadData data("held");
        command.redoExec(&data);
        command.undoExec(&data);
        command.redoExec(nullptr);
        QCOMPARE(log, (QStringList{"redo:held", "undo:held", "redo:<null>"}));
    }

    void attachHandsTheDataOver()
    {
        QStringList log;
        VornCommandDataSerializer serializer;
        serializer.SetTemporaryFolder(QDir(m_folder.path()));
        const int live = PayloadData::liveCount();
        {
            LogCommand command(&log, QStringLiteral("a"));
            QVERIFY(!command.SetSerializer(nullptr));
            QVERIFY(command.SetSerializer(&serializer));
            QCOMPARE(log, QStringList{"end:a"}); // EndTransaction sees the data it still holds
            QCOMPARE(command.GetHeldData(), nullptr);
            const unsigned int index = command.GetDataIndex();
            QCOMPARE(serializer.GetDataCount(), 1);

            VornCommandDataSerializer other;
            QVERIFY(!command.SetSerializer(&other)); // attached once only
            QCOMPARE(command.GetDataIndex(), index);
            QCOMPARE(command.GetSerializer(), &serializer);

            command.redo();
            serializer.WaitForIdle();
            command.undo();
            command.redo();
            QCOMPARE(log, (QStringList{"end:a", "redo:a", "undo:a", "redo:a"}));
        }
        QCOMPARE(serializer.GetDataCount(), 0); // the command removed its data
        QCOMPARE(PayloadData::liveCount(), live);
    }

    void refusedAttachKeepsTheData()
    {
        QStringList log;
        VornCommandDataSerializer serializer;
        LogCommand command(&log, QStringLiteral("a"));
        command.SetCommandData(nullptr); // the serializer refuses a command without data
        QVERIFY(!command.SetSerializer(&serializer));
        QCOMPARE(command.GetSerializer(), &serializer);
        QCOMPARE(command.GetDataIndex(), VornCommandDataSerializer::sBAD_INDEX);
        command.redo(); // executes with what the serializer has for the bad index: nothing
        QCOMPARE(log, (QStringList{"end:<null>", "redo:<null>"}));
    }

    // A name registered again takes the newer image.
    void iconRegistry()
    {
        QVERIFY(VornCommand::GetIcon(QStringLiteral("never registered")).isNull());
        VornCommand::SetIcon(QStringLiteral("brush"), QImage(4, 4, QImage::Format_ARGB32));
        VornCommand::SetIcon(QStringLiteral("brush"), QImage(8, 8, QImage::Format_ARGB32));
        QCOMPARE(VornCommand::GetIcon(QStringLiteral("brush")).size(), QSize(8, 8));
    }

    void emptyRecord()
    {
        // An empty record goes through the serializer and its file like any other.
        VornCommandDataSerializer serializer;
        serializer.SetTemporaryFolder(QDir(m_folder.path()));
        const unsigned int index = serializer.AddData(new EmptyCommandData);
        serializer.Serialize(index);
        serializer.WaitForIdle();
        QVERIFY(serializer.GetData(index));
        serializer.RemoveData(index);
    }

private:
    QTemporaryDir m_folder;
};

QTEST_GUILESS_MAIN(TestVornCommand)
#include "tst_vorncommand.moc"

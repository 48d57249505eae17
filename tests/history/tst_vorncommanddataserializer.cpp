#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

#include "messagecapture.h"
#include "testcommands.h"
#include "vorncommanddataserializer.h"

namespace {

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(generator.bounded(256));
    return bytes;
}

KXImage32 patternImage(unsigned int width, unsigned int height, quint32 seed)
{
    KXImage32 image(width, height);
    QRandomGenerator generator(seed);
    for (unsigned int y = 0; y < height; y += 7)
        for (unsigned int x = 0; x < width; x += 5)
            image.SetPixel(x, y, KXRGBA32i::FromValue(generator.generate()));
    return image;
}

QByteArray payloadOf(VornCommandData* data)
{
    return data ? static_cast<PayloadData*>(data)->payload() : QByteArray();
}

QStringList recordFiles(const QDir& folder)
{
    return folder.entryList(QStringList{QStringLiteral("~nuboltmp.*")}, QDir::Files | QDir::Hidden);
}

// Makes writes beyond a size fail (EFBIG) as on a full disk, for its lifetime.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }

private:
    rlimit m_previous;
    void (*m_previousHandler)(int);
};

} // namespace

class TestVornCommandDataSerializer : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_folder.isValid());
        for (const QString& name : recordFiles(folder()))
            QFile::remove(folder().filePath(name));
    }

    void indexesCountUpAndAreNeverReused()
    {
        VornCommandDataSerializer serializer;
        serializer.SetTemporaryFolder(folder());
        QCOMPARE(serializer.AddData(new PayloadData("a")), 0u);
        QCOMPARE(serializer.AddData(new PayloadData("b")), 1u);
        serializer.RemoveData(1);
        QCOMPARE(serializer.AddData(new PayloadData("c")), 2u);
        QCOMPARE(serializer.AddData(nullptr), VornCommandDataSerializer::sBAD_INDEX);
        QCOMPARE(serializer.GetDataCount(), 2);
    }

    void temporaryFolderIsTakenOnlyWhileEmpty()
    {
        QTemporaryDir other;
        VornCommandDataSerializer serializer;
        serializer.SetTemporaryFolder(folder());
        serializer.AddData(new PayloadData("x"));
        serializer.SetTemporaryFolder(QDir(other.path()));
        QCOMPARE(serializer.GetTemporaryFolder().path(), folder().path());
    }

    void writesOnceReadsBackAndReleases()
    {
        auto* data = new PayloadData(randomBytes(5000, 1), patternImage(300, 200, 2));
        const QByteArray payload = data->payload();
        const KXImage32 image = data->image().Copy();

        VornCommandDataSerializer serializer;
        serializer.SetTemporaryFolder(folder());
        const unsigned int index = serializer.AddData(data);
        QCOMPARE(serializer.GetData(index), data); // nothing written yet: used as it is
        QCOMPARE(data->deserializeCalls.load(), 0);
        serializer.Serialize(index);
        serializer.WaitForIdle();
        QCOMPARE(data->serializeCalls.load(), 1);
        QCOMPARE(data->releaseCalls.load(), 1);
        QVERIFY(!data->hasPayload());

        const QStringList files = recordFiles(folder());
        QCOMPARE(files.size(), 1);
        const QRegularExpression name(QStringLiteral("^~nuboltmp\\.(\\d+)_(\\d{9})$"));
        const QRegularExpressionMatch match = name.match(files.first());
        QVERIFY2(match.hasMatch(), qPrintable(files.first()));
        QCOMPARE(match.captured(1), QString::number(quintptr(data)));
        const QDateTime written = QFileInfo(folder().filePath(files.first())).lastModified();

        for (int round = 0; round < 3; ++round) {
            QCOMPARE(serializer.GetData(index), data);
            QVERIFY(data->hasPayload());
            QCOMPARE(data->payload(), payload);
            QVERIFY(data->image().IsPixelEqual(image));
            serializer.Serialize(index);
            serializer.WaitForIdle();
            QVERIFY(!data->hasPayload());
        }
        QCOMPARE(data->serializeCalls.load(), 1); // the file is never rewritten
        QCOMPARE(data->deserializeCalls.load(), 3);
        QCOMPARE(data->releaseCalls.load(), 4);
        QCOMPARE(QFileInfo(folder().filePath(files.first())).lastModified(), written);

        serializer.RemoveData(index);
        QVERIFY(recordFiles(folder()).isEmpty());
    }

    void queueHandlesEachIndexOnce()
    {
        // The worker is held inside the first entry's write while the queue
        // is worked on from this thread.
        QSemaphore gate;
        auto* blocker = new PayloadData("blocker");
        blocker->gate = &gate;
        auto* twice = new PayloadData("twice");
        auto* taken = new PayloadData("taken");
        auto* removed = new PayloadData("removed");
        const int liveBefore = PayloadData::liveCount();

        VornCommandDataSerializer serializer;
        serializer.SetTemporaryFolder(folder());
        const unsigned int blockerIndex = serializer.AddData(blocker);
        const unsigned int twiceIndex = serializer.AddData(twice);
        const unsigned int takenIndex = serializer.AddData(taken);
        const unsigned int removedIndex = serializer.AddData(removed);

        serializer.Serialize(blockerIndex);
        QVERIFY(blocker->gateEntered.tryAcquire(1, 10000));
        serializer.Serialize(twiceIndex);
        serializer.Serialize(twiceIndex);
        serializer.Serialize(takenIndex);
        serializer.Serialize(removedIndex);
        QCOMPARE(serializer.GetData(takenIndex), taken); // taken out of the queue, still whole
        serializer.RemoveData(removedIndex);             // never written
        QCOMPARE(PayloadData::liveCount(), liveBefore - 1);
        gate.release();
        serializer.WaitForIdle();

        QCOMPARE(twice->serializeCalls.load(), 1);
        QCOMPARE(twice->releaseCalls.load(), 1);
        QCOMPARE(taken->serializeCalls.load(), 0);
        QVERIFY(taken->hasPayload());
        QCOMPARE(recordFiles(folder()).size(), 2);
    }

    void unknownIndexesAreIgnored()
    {
        MessageCapture capture;
        VornCommandDataSerializer serializer;
        serializer.SetTemporaryFolder(folder());
        QCOMPARE(serializer.GetData(7), nullptr);
        serializer.Serialize(7);
        serializer.WaitForIdle();
        serializer.RemoveData(7);
        QCOMPARE(serializer.GetData(VornCommandDataSerializer::sBAD_INDEX), nullptr);
        QVERIFY(capture.texts().isEmpty());
        QVERIFY(recordFiles(folder()).isEmpty());
    }

    void folderThatCannotHoldFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("a file, not a folder") << "file";
    }
    void folderThatCannotHoldFiles()
    {
        QFETCH(QString, kind);
        QString path = folder().filePath(QStringLiteral("absent"));
        if (kind == QLatin1String("file")) {
            QFile file(folder().filePath(QStringLiteral("plain")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            path = file.fileName() + QStringLiteral("/inside");
        }
        MessageCapture capture;
        auto* data = new PayloadData(randomBytes(100, 3));
        const QByteArray payload = data->payload();
        VornCommandDataSerializer serializer;
        serializer.SetTemporaryFolder(QDir(path));
        const unsigned int index = serializer.AddData(data);
        serializer.Serialize(index);
        serializer.WaitForIdle();
        // Nothing reported when the file cannot even be opened; nothing lost.
        QVERIFY(capture.texts().isEmpty());
        QCOMPARE(data->releaseCalls.load(), 0);
        QCOMPARE(payloadOf(serializer.GetData(index)), payload);

        // The next hand-back tries again, and succeeds once the folder exists.
        if (kind == QLatin1String("missing"))
            QVERIFY(QDir().mkpath(path));
        serializer.Serialize(index);
        serializer.WaitForIdle();
        if (kind == QLatin1String("missing")) {
            QCOMPARE(data->releaseCalls.load(), 1);
            QCOMPARE(payloadOf(serializer.GetData(index)), payload);
        } else {
            QCOMPARE(data->releaseCalls.load(), 0);
        }
    }

    void fullDiskKeepsDataAndRetries()
    {
        auto* data = new PayloadData(randomBytes(400000, 4), patternImage(512, 512, 5));
        const QByteArray payload = data->payload();
        const KXImage32 image = data->image().Copy();
        VornCommandDataSerializer serializer;
        serializer.SetTemporaryFolder(folder());
        const unsigned int index = serializer.AddData(data);
        QString report;
        {
            MessageCapture capture;
            FileSizeLimit limit(64 * 1024);
            serializer.Serialize(index);
            serializer.WaitForIdle();
            QCOMPARE(capture.texts().size(), 1);
            report = capture.texts().first();
        }
        const QRegularExpression expected(
            QStringLiteral("^Build date=%1, time=%2\\. Line=\\d+, "
                           "file=\"src/vorncommandprivate/serializedata\\.cpp\"\\. "
                           "Serialize data error\\. Destination file:\"%3/~nuboltmp\\.%4_\\d{9}\"$")
                .arg(reportDatePattern(), reportTimePattern(), QRegularExpression::escape(folder().path()),
                     QString::number(quintptr(data))));
        QVERIFY2(expected.match(report).hasMatch(), qPrintable(report));
        QCOMPARE(data->releaseCalls.load(), 0);
        QVERIFY(recordFiles(folder()).isEmpty()); // the partial file is gone
        QCOMPARE(payloadOf(serializer.GetData(index)), payload);

        serializer.Serialize(index); // room again: written this time
        serializer.WaitForIdle();
        QCOMPARE(data->releaseCalls.load(), 1);
        QCOMPARE(recordFiles(folder()).size(), 1);
        QCOMPARE(payloadOf(serializer.GetData(index)), payload);
        QVERIFY(data->image().IsPixelEqual(image));
    }

    void damagedRecordFiles_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("reported");
        QTest::newRow("deleted") << "delete" << false;
        QTest::newRow("truncated") << "truncate" << true;
        QTest::newRow("emptied") << "empty" << true;
        QTest::newRow("corrupted tile") << "corrupt" << true;
    }
    void damagedRecordFiles()
    {
        QFETCH(QString, damage);
        QFETCH(bool, reported);
        auto* data = new PayloadData(randomBytes(300, 6), patternImage(130, 130, 7));
        VornCommandDataSerializer serializer;
        serializer.SetTemporaryFolder(folder());
        const unsigned int index = serializer.AddData(data);
        serializer.Serialize(index);
        serializer.WaitForIdle();
        const QString path = folder().filePath(recordFiles(folder()).value(0));
        QFile file(path);
        if (damage == QLatin1String("delete")) {
            QVERIFY(file.remove());
        } else {
            QVERIFY(file.open(QIODevice::ReadWrite));
            const qint64 size = file.size();
            if (damage == QLatin1String("truncate"))
                QVERIFY(file.resize(size - 10));
            else if (damage == QLatin1String("empty"))
                QVERIFY(file.resize(0));
            else {
                QVERIFY(file.seek(size - 40));
                file.write(QByteArray(20, '\x5a'));
            }
            file.close();
        }
        MessageCapture capture;
        QCOMPARE(serializer.GetData(index), data); // still handed out; its command checks it
        const QStringList texts = capture.texts();
        if (reported) {
            QCOMPARE(texts.size(), 1);
            QVERIFY2(texts.first().endsWith(QStringLiteral("file=\"src/vorncommandprivate/serializedata.cpp\". "
                                                           "Deserialize data error.")),
                     qPrintable(texts.first()));
        } else {
            QVERIFY(texts.isEmpty());
        }
    }

    void noFileOutlivesTheSerializer()
    {
        {
            VornCommandDataSerializer serializer;
            serializer.SetTemporaryFolder(folder());
            for (int i = 0; i < 20; ++i)
                serializer.Serialize(serializer.AddData(new PayloadData(randomBytes(1000, quint32(i)))));
            // Destroyed while the worker may still be writing.
        }
        QVERIFY(recordFiles(folder()).isEmpty());
        QCOMPARE(PayloadData::liveCount(), 0);
    }

    void stressCyclesKeepEveryPayload()
    {
        constexpr int entries = 64;
        constexpr int cycles = 3000;
        VornCommandDataSerializer serializer;
        serializer.SetTemporaryFolder(folder());
        QVector<unsigned int> indexes;
        QVector<QByteArray> payloads;
        QVector<KXImage32> images;
        auto add = [&](int seed) {
            const QByteArray payload = randomBytes(200 + seed % 3000, quint32(seed));
            const KXImage32 image = (seed % 5 == 0) ? patternImage(140, 20, quint32(seed)) : KXImage32();
            indexes.append(serializer.AddData(new PayloadData(payload, image)));
            payloads.append(payload);
            images.append(image.Copy());
        };
        for (int i = 0; i < entries; ++i)
            add(i);
        QRandomGenerator generator(99);
        for (int cycle = 0; cycle < cycles; ++cycle) {
            const int slot = int(generator.bounded(quint32(entries)));
            switch (generator.bounded(8)) {
            case 0: { // the command dies; a new one takes its place
                serializer.RemoveData(indexes[slot]);
                indexes.remove(slot);
                payloads.remove(slot);
                images.remove(slot);
                add(entries + cycle);
                break;
            }
            default: {
                auto* data = static_cast<PayloadData*>(serializer.GetData(indexes[slot]));
                QVERIFY(data);
                QCOMPARE(data->payload(), payloads[slot]);
                QVERIFY(data->image().IsPixelEqual(images[slot]));
                serializer.Serialize(indexes[slot]);
                break;
            }
            }
            if (cycle % 97 == 0)
                QCoreApplication::processEvents(); // lets the worker's finish be handled
        }
        serializer.WaitForIdle();
        for (int slot = 0; slot < entries; ++slot) {
            auto* data = static_cast<PayloadData*>(serializer.GetData(indexes[slot]));
            QCOMPARE(data->payload(), payloads[slot]);
            QVERIFY(data->image().IsPixelEqual(images[slot]));
            serializer.Serialize(indexes[slot]);
        }
        // Every live entry has been handed back at least once: each has its file, the removed ones none.
        serializer.WaitForIdle();
        QCOMPARE(recordFiles(folder()).size(), entries);
    }

private:
    QDir folder() const { return QDir(m_folder.path()); }
    QTemporaryDir m_folder;
};

QTEST_GUILESS_MAIN(TestVornCommandDataSerializer)
#include "tst_vorncommanddataserializer.moc"

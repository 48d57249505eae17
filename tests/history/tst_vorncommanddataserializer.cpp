#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "messagecapture.h"
#include "recordtesting.h"
#include "kxchangerasterdata.h"
#include "testcommands.h"
#include "vorncommanddataserializer.h"
#include "vornreaderwriter.h"
#include "ZTTileManager64.h"

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

// A record of two tiled images (many tiles, then one) that, on its first
// write, holds the worker at one stage until a cancel is requested, so that
// GetData or RemoveData arrive at a known point of the write.
class StagedData : public PayloadData
{
public:
    enum Stage
    {
        BeforeFirstTile,
        BetweenImages,
        BeforeLastTile,
        AfterFileClosed
    };

    StagedData(Stage stage, const KXImage32& many, const KXImage32& last)
        : PayloadData(QByteArray("staged"), many)
        , m_stage(stage)
        , m_last(last)
    {
    }

    bool Serialize(IWriter* writer) override
    {
        if (!dynamic_cast<VornReaderWriter*>(writer)) // a writer that measures or lists
            return PayloadData::Serialize(writer) && writer->WriteKXImage(m_halfway) && writer->WriteKXImage(m_last);
        ++serializeCalls;
        m_writer = dynamic_cast<VornReaderWriter*>(writer);
        const bool first = serializeCalls.load() == 1;
        if (first && m_stage == BeforeFirstTile)
            HoldUntilCancelled();
        bool result = writer->WriteByteArray(payload()) && writer->WriteKXImage(image());
        if (first && m_stage == BetweenImages)
            HoldUntilCancelled();
        result = writer->WriteKXImage(m_halfway) && result;
        if (first && m_stage == BeforeLastTile)
            HoldUntilCancelled();
        const bool last = writer->WriteKXImage(m_last);
        if (first && m_stage != AfterFileClosed)
            writeAfterCancel = last;
        return result && last;
    }
    bool Deserialize(IReader* reader) override
    {
        return PayloadData::Deserialize(reader) && reader->ReadKXImage(m_halfway) && reader->ReadKXImage(m_last);
    }
    void ReleaseSerializeData() override
    {
        if (releaseCalls.load() == 0 && m_stage == AfterFileClosed)
            HoldUntilCancelled();
        PayloadData::ReleaseSerializeData();
        m_halfway = KXImage32();
        m_last = KXImage32();
    }

    const KXImage32& last() const { return m_last; }

    QSemaphore holding;
    bool writeAfterCancel = true;

private:
    // Tells the test the worker is here, then waits for the cancel request.
    void HoldUntilCancelled()
    {
        holding.release();
        QElapsedTimer timer;
        timer.start();
        while (m_writer && !m_writer->IsCancelRequested() && timer.elapsed() < 10000)
            QThread::msleep(1);
    }

    Stage m_stage;
    KXImage32 m_halfway = KXImage32(128, 128);
    KXImage32 m_last;
    VornReaderWriter* m_writer = nullptr;
};

KXImage32 noiseImage(unsigned int width, unsigned int height, quint32 seed)
{
    KXImage32 image(width, height);
    QRandomGenerator generator(seed);
    for (unsigned int y = 0; y < height; ++y)
        for (unsigned int x = 0; x < width; ++x)
            image.SetPixel(x, y, KXRGBA32i::FromValue(generator.generate()));
    return image;
}

} // namespace

class TestVornCommandDataSerializer : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_folder.isValid());
        for (const QString& name : RecordFiles(folder()))
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

        const QStringList files = RecordFiles(folder());
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
        QVERIFY(RecordFiles(folder()).isEmpty());
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
        QCOMPARE(RecordFiles(folder()).size(), 2);
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
        QVERIFY(RecordFiles(folder()).isEmpty());
    }

    // A payload still whole in memory (read back and not handed back yet) is
    // kept when its file changed meanwhile, and written anew at the next hand-back.
    void payloadInMemorySurvivesAChangedFile()
    {
        auto* data = new PayloadData(randomBytes(300, 6), patternImage(130, 130, 7));
        const QByteArray payload = data->payload();
        VornCommandDataSerializer serializer;
        serializer.SetTemporaryFolder(folder());
        const unsigned int index = serializer.AddData(data);
        serializer.Serialize(index);
        serializer.WaitForIdle();
        QCOMPARE(payloadOf(serializer.GetData(index)), payload);
        QFile file(folder().filePath(RecordFiles(folder()).value(0)));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(10));
        QCOMPARE(file.write("x", 1), qint64(1));
        file.close();

        MessageCapture capture;
        QCOMPARE(payloadOf(serializer.GetData(index)), payload);
        CompareReports(capture.texts(), {ReportPattern(QStringLiteral("src/vorncommandprivate/serializedata.cpp"),
                                                       QStringLiteral("Deserialize data error."))});
        QVERIFY(RecordFiles(folder()).isEmpty());
        serializer.Serialize(index);
        serializer.WaitForIdle();
        QCOMPARE(RecordFiles(folder()).size(), 1);
        QCOMPARE(payloadOf(serializer.GetData(index)), payload);
        QVERIFY(data->image().IsPixelEqual(patternImage(130, 130, 7)));
    }

    // A record read back keeps each image's tiles compressed until the image
    // is first used: using one makes all of its tiles and none of the
    // other's; both give back their pixels exactly.
    void imagesAreDecodedWhenFirstUsed()
    {
        const KXImage32 undoImage = patternImage(300, 200, 1);
        const KXImage32 redoImage = noiseImage(260, 130, 2);
        auto* data = new KXChangeRasterData;
        data->SetUndoImage(QPoint(), undoImage);
        data->SetRedoImage(QPoint(1, 1), redoImage);
        VornCommandDataSerializer serializer;
        serializer.SetTemporaryFolder(folder());
        const unsigned int index = serializer.AddData(data);
        serializer.Serialize(index);
        serializer.WaitForIdle();
        const auto* back = static_cast<KXChangeRasterData*>(serializer.GetData(index));
        QPoint at;
        KXImage32 undone;
        KXImage32 redone;
        QVERIFY(back->GetUndoImage(at, undone) && back->GetRedoImage(at, redone));
        const auto deferredTiles = [](const KXImage32& image) {
            int deferred = 0;
            for (unsigned int row = 0; row < image.GetRows(); ++row)
                for (unsigned int column = 0; column < image.GetColumns(); ++column)
                    deferred += ZTTileManager64::Instance()->IsDeferred(image.GetTile(column, row)->Handle()) ? 1 : 0;
            return deferred;
        };
        QCOMPARE(deferredTiles(undone), 6);
        QCOMPARE(deferredTiles(redone), 6);
        QCOMPARE(undone.GetPixel(299, 199), undoImage.GetPixel(299, 199));
        QCOMPARE(deferredTiles(undone), 0);
        QCOMPARE(deferredTiles(redone), 6);
        QVERIFY(undone.IsPixelEqual(undoImage));
        QVERIFY(redone.IsPixelEqual(redoImage));
    }

    // GetData or RemoveData of the entry being written stop the write at its
    // next tile: nothing reported, no file left, the data whole in memory and
    // written again at the next Serialize. A request that comes after the
    // file was closed changes nothing: the record stays written.
    void cancelWriteInProgress_data()
    {
        QTest::addColumn<int>("stage");
        QTest::addColumn<bool>("remove");
        QTest::newRow("GetData before the first tile") << int(StagedData::BeforeFirstTile) << false;
        QTest::newRow("GetData between images") << int(StagedData::BetweenImages) << false;
        QTest::newRow("GetData before the last tile") << int(StagedData::BeforeLastTile) << false;
        QTest::newRow("GetData after the file closed") << int(StagedData::AfterFileClosed) << false;
        QTest::newRow("RemoveData before the first tile") << int(StagedData::BeforeFirstTile) << true;
        QTest::newRow("RemoveData between images") << int(StagedData::BetweenImages) << true;
        QTest::newRow("RemoveData after the file closed") << int(StagedData::AfterFileClosed) << true;
    }
    void cancelWriteInProgress()
    {
        QFETCH(int, stage);
        QFETCH(bool, remove);
        const KXImage32 many = noiseImage(520, 260, 11); // 5 x 3 tiles
        const KXImage32 last = patternImage(128, 128, 12);
        auto* data = new StagedData(StagedData::Stage(stage), many, last);
        const int liveBefore = PayloadData::liveCount();
        MessageCapture capture;
        VornCommandDataSerializer serializer;
        serializer.SetTemporaryFolder(folder());
        const unsigned int index = serializer.AddData(data);
        serializer.Serialize(index);
        QVERIFY(data->holding.tryAcquire(1, 10000));

        const bool closed = stage == StagedData::AfterFileClosed;
        if (remove) {
            serializer.RemoveData(index);
            QCOMPARE(PayloadData::liveCount(), liveBefore - 1);
            QVERIFY(RecordFiles(folder()).isEmpty());
            QCOMPARE(serializer.GetCancelledWrites(), closed ? 0 : 1);
            QVERIFY(capture.texts().isEmpty());
            return;
        }
        QCOMPARE(serializer.GetData(index), data);
        QVERIFY(data->hasPayload());
        QCOMPARE(data->payload(), QByteArray("staged"));
        QVERIFY(data->image().IsPixelEqual(many));
        QVERIFY(data->last().IsPixelEqual(last));
        QCOMPARE(data->serializeCalls.load(), 1);
        QCOMPARE(data->releaseCalls.load(), closed ? 1 : 0);
        QCOMPARE(data->deserializeCalls.load(), closed ? 1 : 0); // read back only when it was written
        QCOMPARE(data->writeAfterCancel, closed);                // the write stopped at its next tile
        QCOMPARE(RecordFiles(folder()).size(), closed ? 1 : 0);
        QCOMPARE(serializer.GetCancelledWrites(), closed ? 0 : 1);
        QVERIFY(capture.texts().isEmpty());

        // Handed back: written (again, when it was cancelled), then read back whole.
        serializer.Serialize(index);
        serializer.WaitForIdle();
        QCOMPARE(data->serializeCalls.load(), closed ? 1 : 2);
        QCOMPARE(RecordFiles(folder()).size(), 1);
        QCOMPARE(serializer.GetData(index), data);
        QCOMPARE(data->payload(), QByteArray("staged"));
        QVERIFY(data->image().IsPixelEqual(many));
        QVERIFY(data->last().IsPixelEqual(last));
        serializer.Serialize(index);
        serializer.RemoveData(index);
        QVERIFY(RecordFiles(folder()).isEmpty());
    }

    // While the worker is held in the first entry's write, the entries queued
    // behind it keep their tiles in memory up to the budget, in the worker's
    // order; the rest are swapped out (the newest entry is left alone), and
    // every image comes back whole, whether borrowed, written or removed.
    void waitingDataBeyondTheBudgetIsSwappedOut()
    {
        ZTTileManager64* manager = ZTTileManager64::Instance();
        QSemaphore gate;
        auto* blocker = new PayloadData("blocker");
        blocker->gate = &gate;
        VornCommandDataSerializer serializer;
        serializer.SetTemporaryFolder(folder());
        serializer.SetMemoryBudget(4 * ZTTileManager64::TileBytes); // one waiting entry
        serializer.Serialize(serializer.AddData(blocker));
        QVERIFY(blocker->gateEntered.tryAcquire(1, 10000));
        auto unblock = qScopeGuard([&gate] { gate.release(); }); // also when a check fails

        const qint64 swappedBefore = manager->SwappedOutTiles();
        std::vector<PayloadData*> waiting;
        std::vector<unsigned int> indexes;
        std::vector<KXImage32> expected;
        for (quint32 k = 0; k < 4; ++k) {
            const KXImage32 image = noiseImage(256, 256, k + 1); // four tiles
            expected.push_back(image.Copy());
            waiting.push_back(new PayloadData("waiting", image));
            indexes.push_back(serializer.AddData(waiting.back()));
            serializer.Serialize(indexes.back());
        }
        QTRY_COMPARE(manager->SwappedOutTiles(), swappedBefore + 8);
        const auto isOut = [&](int k) { return manager->IsSwappedOut(waiting[size_t(k)]->image().GetTile(1, 1)->Handle()); };
        QCOMPARE((QList<bool> {isOut(0), isOut(1), isOut(2), isOut(3)}), (QList<bool> {false, true, true, false}));
        // The blocker's record only: the swap file has no name.
        QCOMPARE(QDir(folder().path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

        QVERIFY(static_cast<PayloadData*>(serializer.GetData(indexes[1]))->image().IsPixelEqual(expected[1]));
        serializer.RemoveData(indexes[2]);
        QCOMPARE(manager->SwappedOutTiles(), swappedBefore);
        unblock.dismiss();
        gate.release();
        serializer.WaitForIdle();
        for (int k : {0, 3}) {
            auto* data = static_cast<PayloadData*>(serializer.GetData(indexes[size_t(k)]));
            QVERIFY(data->image().IsPixelEqual(expected[size_t(k)]));
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
        QVERIFY(RecordFiles(folder()).isEmpty());
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
            // Some records take long enough to write that GetData and RemoveData often cancel them.
            const KXImage32 image = (seed % 5 == 0) ? patternImage(140, 20, quint32(seed))
                : (seed % 7 == 0)                   ? noiseImage(384, 256, quint32(seed))
                                                    : KXImage32();
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
        QCOMPARE(RecordFiles(folder()).size(), entries);
        QVERIFY(serializer.GetCancelledWrites() > 0);
    }

private:
    QDir folder() const { return QDir(m_folder.path()); }
    QTemporaryDir m_folder;
};

QTEST_GUILESS_MAIN(TestVornCommandDataSerializer)
#include "tst_vorncommanddataserializer.moc"

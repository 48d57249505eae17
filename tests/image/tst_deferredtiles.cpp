#include <QtTest>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

#include "KXImage.h"
#include "ZTTileManager64.h"

namespace {

// Fills tile i with the byte i + 1 and counts its calls.
class CountingFiller : public ZTTileFiller
{
public:
    void Fill(const std::vector<int>& indexes, const std::vector<uchar*>& destinations) override
    {
        ++calls;
        filled += int(indexes.size());
        QThread::msleep(20); // long enough for a second thread to arrive meanwhile
        for (size_t k = 0; k < indexes.size(); ++k)
            std::memset(destinations[k], indexes[k] + 1, ZTTileManager64::TileBytes);
    }
    std::atomic<int> calls {0};
    std::atomic<int> filled {0};
};

} // namespace

// Deferred tiles: made together, once, by the first use of any of them, on
// whichever thread; never made when freed first.
class TestDeferredTiles : public QObject
{
    Q_OBJECT
private slots:
    void madeOnceByTheFirstUse_data()
    {
        QTest::addColumn<QString>("firstUse");
        QTest::newRow("read mapping") << "read";
        QTest::newRow("write mapping") << "write";
        QTest::newRow("copy of the bytes") << "copy";
        QTest::newRow("two threads at once") << "threads";
    }
    void madeOnceByTheFirstUse()
    {
        QFETCH(QString, firstUse);
        ZTTileManager64* manager = ZTTileManager64::Instance();
        auto filler = std::make_shared<CountingFiller>();
        const std::vector<void*> tiles = manager->MakeDeferredTiles(3, filler);
        QCOMPARE(int(tiles.size()), 3);
        manager->CleanUpTile(tiles[0]); // freed before use: never made
        const quint64 revision = manager->Revision(tiles[2]);
        QVERIFY(manager->IsDeferred(tiles[1]) && manager->IsDeferred(tiles[2]));
        QCOMPARE(filler->calls.load(), 0);

        uchar first = 0;
        if (firstUse == QLatin1String("copy")) {
            QByteArray bytes(ZTTileManager64::TileBytes, '\0');
            manager->ReadMemory(tiles[1], bytes.data());
            first = uchar(bytes.at(100));
        } else if (firstUse == QLatin1String("threads")) {
            uchar second = 0;
            std::thread other([&] { second = ZTTileMemory(tiles[2], false).Bytes()[7]; });
            first = ZTTileMemory(tiles[1], false).Bytes()[100];
            other.join();
            QCOMPARE(second, uchar(3));
        } else {
            first = ZTTileMemory(tiles[1], firstUse == QLatin1String("write")).Bytes()[100];
        }
        QCOMPARE(first, uchar(2));
        QCOMPARE(filler->calls.load(), 1);
        QCOMPARE(filler->filled.load(), 2);
        QVERIFY(!manager->IsDeferred(tiles[1]) && !manager->IsDeferred(tiles[2]));
        QCOMPARE(ZTTileMemory(tiles[2], false).Bytes()[65535], uchar(3));
        // Making the bytes is not a change of them; a write mapping is.
        QCOMPARE(manager->Revision(tiles[2]) == revision, true);
        QCOMPARE(filler.use_count(), 1); // the group let go of its filler
        manager->CleanUpTile(tiles[1]);
        manager->CleanUpTile(tiles[2]);
        QCOMPARE(manager->OpenMappings(), qint64(0));
    }

    // An image built on deferred tiles behaves as any other: copies share
    // them, a write detaches a made copy.
    void imagesOfDeferredTiles()
    {
        ZTTileManager64* manager = ZTTileManager64::Instance();
        auto filler = std::make_shared<CountingFiller>();
        const std::vector<void*> tiles = manager->MakeDeferredTiles(2, filler);
        KXImage<KXRGBA32i, 128, 128> image(256, 100);
        for (unsigned int column = 0; column < 2; ++column)
            QVERIFY(image.SetTile(column, 0, KXImage<KXRGBA32i, 128, 128>::TilePointer(
                                                   new KXImage<KXRGBA32i, 128, 128>::Tile(tiles[column]))));
        KXImage<KXRGBA32i, 128, 128> copy = image;
        QVERIFY(copy.SetPixel(130, 5, KXRGBA32i(9, 9, 9, 9)));
        QCOMPARE(filler->calls.load(), 1);
        QCOMPARE(copy.GetPixel(131, 5), KXRGBA32i::FromValue(0x02020202));
        QCOMPARE(image.GetPixel(130, 5), KXRGBA32i::FromValue(0x02020202));
        QCOMPARE(copy.GetPixel(130, 5), KXRGBA32i(9, 9, 9, 9));
    }
};

QTEST_MAIN(TestDeferredTiles)
#include "tst_deferredtiles.moc"

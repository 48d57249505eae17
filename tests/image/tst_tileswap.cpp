#include <QtTest>

#include <atomic>
#include <csignal>
#include <cstring>
#include <memory>
#include <thread>

#include <sys/resource.h>

#include "ZTTileManager64.h"

namespace {

constexpr int TileBytes = ZTTileManager64::TileBytes;

// A tile whose byte k is (k * 7 + seed) mod 256.
void* PatternTile(int seed)
{
    void* tile = ZTTileManager64::Instance()->MakeTile();
    ZTTileMemory memory(tile, true);
    for (int k = 0; k < TileBytes; ++k)
        memory.Bytes()[k] = uchar(k * 7 + seed);
    return tile;
}

bool HasPattern(void* tile, int seed)
{
    QByteArray bytes(TileBytes, '\0');
    ZTTileManager64::Instance()->ReadMemory(tile, bytes.data());
    for (int k = 0; k < TileBytes; ++k) {
        if (uchar(bytes[k]) != uchar(k * 7 + seed))
            return false;
    }
    return true;
}

// Lets files grow to at most bytes for the lifetime of the object, as a full disk would.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old;
};

class NoFiller : public ZTTileFiller
{
public:
    void Fill(const std::vector<int>&, const std::vector<uchar*>& destinations) override
    {
        for (uchar* destination : destinations)
            std::memset(destination, 0, TileBytes);
    }
};

} // namespace

// Swapped-out tiles: their bytes come back unchanged on whatever use comes
// first, the file has no name and gives its space back, and a tile that
// cannot be swapped safely stays in memory.
class TestTileSwap : public QObject
{
    Q_OBJECT
private slots:
    void comesBackOnFirstUse_data()
    {
        QTest::addColumn<QString>("use");
        QTest::newRow("read mapping") << "read";
        QTest::newRow("write mapping") << "write";
        QTest::newRow("copy of the bytes") << "copy";
        QTest::newRow("freed while out") << "free";
    }
    void comesBackOnFirstUse()
    {
        QFETCH(QString, use);
        ZTTileManager64* manager = ZTTileManager64::Instance();
        QTemporaryDir folder;
        auto file = std::make_shared<ZTTileSwapFile>(folder.path());
        QVERIFY(file->IsOpen());
        void* tile = PatternTile(3);
        void* other = PatternTile(5);
        const quint64 revision = manager->Revision(tile);
        const qint64 swappedBefore = manager->SwappedOutTiles();
        QVERIFY(manager->SwapOut(tile, file));
        QVERIFY(manager->SwapOut(other, file));
        QVERIFY(manager->IsSwappedOut(tile));
        QCOMPARE(manager->SwappedOutTiles(), swappedBefore + 2);
        QCOMPARE(file->UsedSlots(), qint64(2));
        QCOMPARE(file->FileBytes(), qint64(2 * TileBytes));
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList()); // nothing another process could open

        if (use == QLatin1String("free")) {
            manager->CleanUpTile(tile);
        } else {
            if (use == QLatin1String("copy")) {
                QVERIFY(HasPattern(tile, 3));
            } else {
                ZTTileMemory memory(tile, use == QLatin1String("write"));
                QCOMPARE(memory.Bytes()[1000], uchar(1000 * 7 + 3));
                QCOMPARE(memory.Bytes()[TileBytes - 1], uchar((TileBytes - 1) * 7 + 3));
            }
            QVERIFY(!manager->IsSwappedOut(tile));
            QVERIFY(HasPattern(tile, 3));
            // Swapping is not a change of the bytes; a write mapping is.
            QCOMPARE(manager->Revision(tile) != revision, use == QLatin1String("write"));
            manager->CleanUpTile(tile);
        }
        QCOMPARE(file->UsedSlots(), qint64(1));
        QVERIFY(HasPattern(other, 5));
        QCOMPARE(file->UsedSlots(), qint64(0));
        QCOMPARE(file->FileBytes(), qint64(0));
        QCOMPARE(manager->SwappedOutTiles(), swappedBefore);
        QCOMPARE(file->ReadErrors(), qint64(0));
        manager->CleanUpTile(other);
        QCOMPARE(manager->OpenMappings(), qint64(0));
    }

    void refusedTilesStayInMemory_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::newRow("mapped") << "mapped";
        QTest::newRow("deferred") << "deferred";
        QTest::newRow("already out") << "out";
        QTest::newRow("folder missing") << "folder";
        QTest::newRow("disk full") << "full";
    }
    void refusedTilesStayInMemory()
    {
        QFETCH(QString, reason);
        ZTTileManager64* manager = ZTTileManager64::Instance();
        QTemporaryDir folder;
        auto file = std::make_shared<ZTTileSwapFile>(
            reason == QLatin1String("folder") ? folder.path() + QStringLiteral("/gone") : folder.path());
        QCOMPARE(file->IsOpen(), reason != QLatin1String("folder"));
        void* tile = PatternTile(9);
        if (reason == QLatin1String("mapped")) {
            ZTTileMemory memory(tile, false);
            QVERIFY(!manager->SwapOut(tile, file));
        } else if (reason == QLatin1String("deferred")) {
            const std::vector<void*> deferred = manager->MakeDeferredTiles(1, std::make_shared<NoFiller>());
            QVERIFY(!manager->SwapOut(deferred[0], file));
            manager->CleanUpTile(deferred[0]);
            QVERIFY(manager->SwapOut(tile, file));
            QVERIFY(!manager->SwapOut(tile, file));
        } else if (reason == QLatin1String("out")) {
            QVERIFY(manager->SwapOut(tile, file));
            QVERIFY(!manager->SwapOut(tile, file));
        } else if (reason == QLatin1String("full")) {
            void* second = PatternTile(11);
            {
                FileSizeLimit limit(TileBytes + TileBytes / 2);
                QVERIFY(manager->SwapOut(second, file));
                QVERIFY(!manager->SwapOut(tile, file)); // half a slot fits
            }
            QVERIFY(HasPattern(second, 11));
            manager->CleanUpTile(second);
        } else {
            QVERIFY(!manager->SwapOut(tile, file));
        }
        QCOMPARE(file->UsedSlots(), qint64(manager->IsSwappedOut(tile) ? 1 : 0));
        QVERIFY(HasPattern(tile, 9));
        QCOMPARE(file->UsedSlots(), qint64(0));
        manager->CleanUpTile(tile);
    }

    // The tile's owner rewrites it whole and reads it back, generation after
    // generation, while another thread keeps swapping it out: every read-back
    // sees the generation just written, so no swap kept a copy torn by a
    // write, nor dropped pages under a mapping.
    void swapsRaceWithTheOwner()
    {
        ZTTileManager64* manager = ZTTileManager64::Instance();
        QTemporaryDir folder;
        auto file = std::make_shared<ZTTileSwapFile>(folder.path());
        void* tile = manager->MakeTile();
        std::atomic<bool> done {false};
        int wrong = 0;
        int swaps = 0;
        std::thread swapper([&] {
            while (!done)
                swaps += manager->SwapOut(tile, file) ? 1 : 0;
        });
        QByteArray bytes(TileBytes, '\0');
        for (int generation = 1; generation <= 10000; ++generation) {
            const char value = char(generation & 0xff);
            std::memset(ZTTileMemory(tile, true).Bytes(), value, TileBytes);
            if (generation % 2) {
                manager->ReadMemory(tile, bytes.data());
            } else {
                ZTTileMemory memory(tile, false);
                std::memcpy(bytes.data(), memory.Bytes(), TileBytes);
            }
            wrong += bytes.count(value) == TileBytes ? 0 : 1;
        }
        done = true;
        swapper.join();
        QCOMPARE(wrong, 0);
        QVERIFY(swaps > 0);
        manager->CleanUpTile(tile);
        QCOMPARE(file->UsedSlots(), qint64(0));
    }
};

QTEST_MAIN(TestTileSwap)
#include "tst_tileswap.moc"

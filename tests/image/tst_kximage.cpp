#include <QtTest>

#include <new>
#include <vector>

#include "ZTTileManager64.h"
#include "imagechecks.h"

namespace {
const KXRGBA32i Red(255, 0, 0, 255);
qint64 LiveTiles()
{
    return ZTTileManager64::Instance()->LiveTiles();
}
} // namespace

class TestKXImage : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_live = LiveTiles(); }
    void cleanup()
    {
        // Every tile mapping taken by an operation has been handed back, every tile made released.
        QCOMPARE(ZTTileManager64::Instance()->OpenMappings(), qint64(0));
        QCOMPARE(LiveTiles(), m_live);
    }

    void tileLimit()
    {
        const KXImage32 largest(1000 * 128, 1000 * 128);
        QCOMPARE(largest.TileCount(), 1000000);
        QCOMPARE(largest.DistinctTileCount(), 1);
        QVERIFY_EXCEPTION_THROWN(KXImage32(1001 * 128, 1000 * 128), std::bad_alloc);
        QVERIFY_EXCEPTION_THROWN(KXImage32(0xFFFFFFFFu, 0xFFFFFFFFu), std::bad_alloc);
    }

    // Fill keeps the pixels beyond the width and height transparent; FastFill
    // colours them too, so that one tile serves every position.
    void fill_data()
    {
        QTest::addColumn<unsigned int>("width");
        QTest::addColumn<unsigned int>("height");
        QTest::addColumn<bool>("fast");
        QTest::addColumn<int>("distinct");
        QTest::newRow("300 x 200") << 300u << 200u << false << 4;
        QTest::newRow("fast 300 x 200") << 300u << 200u << true << 1;
    }
    void fill()
    {
        QFETCH(unsigned int, width);
        QFETCH(unsigned int, height);
        QFETCH(bool, fast);
        QFETCH(int, distinct);
        KXImage32 image(width, height);
        KXImage32 filled(width, height);
        filled.Fill(Red);
        if (fast)
            image.FastFill(Red);
        else
            image.Fill(Red);
        VERIFY_PIXELS(image, [](int, int) { return Red; });
        QCOMPARE(image.DistinctTileCount(), distinct);
        // The pixels beyond the image do not take part in comparisons.
        QVERIFY(image.IsPixelEqual(filled));
        QVERIFY(!image.IsPixelEqual(KXImage32(width, height + 1)));
        // Reading past the width returns the border tile's outside pixels.
        const unsigned int lastColumn = (width - 1) / 128;
        std::vector<KXRGBA32i> line(128);
        QVERIFY(image.ReadLine(height - 1, lastColumn * 128, reinterpret_cast<unsigned char*>(line.data()), 512));
        for (unsigned int x = 0; x < 128; ++x)
            QCOMPARE(line[x], fast || lastColumn * 128 + x < width ? Red : KXRGBA32i());
        // So are the rows below the height inside the last tile.
        ZTTileMemory memory(image.GetTile(lastColumn, image.GetRows() - 1)->Handle(), false);
        const KXRGBA32i* pixels = reinterpret_cast<const KXRGBA32i*>(memory.Bytes());
        const unsigned int validRows = height - (image.GetRows() - 1) * 128;
        QCOMPARE(pixels[0], Red);
        if (validRows < 128)
            QCOMPARE(pixels[validRows * 128], fast ? Red : KXRGBA32i());
    }

    void emptyImage()
    {
        KXImage32 image;
        image.Fill(Red);
        image.FastFill(Red);
        QCOMPARE(image.TileCount(), 0);
        QVERIFY(!image.ReadLine(0, 0, nullptr, 0));
        QVERIFY(!image.SetPixel(0, 0, Red));
        QCOMPARE(image.GetPixel(0, 0), KXRGBA32i());
        QVERIFY(image.ToQImage().isNull());
        QVERIFY(KXImage32::FromQImage(QImage()).IsEmpty());
    }

    void copiesShareTilesUntilWritten()
    {
        KXImage32 source = Painted(300, 200);
        source.SetReserved(1, 77);
        KXImage32 copy(source);
        KXImage32 assigned;
        assigned = source;
        assigned = assigned;
        QCOMPARE(LiveTiles(), m_live + 6);
        QCOMPARE(source.GetTile(2, 1)->RefCount(), 3);
        QCOMPARE(assigned.GetReserved(1), 77u);
        QVERIFY(TilesSharedOutside(copy, source, QRect()));
        // One pixel written into the copy detaches one tile; the source keeps its pixel.
        QVERIFY(copy.SetPixel(200, 150, Red));
        QCOMPARE(LiveTiles(), m_live + 7);
        QCOMPARE(copy.GetPixel(200, 150), Red);
        QCOMPARE(source.GetPixel(200, 150), Pattern(200, 150));
        QVERIFY(copy.GetTile(1, 1) != source.GetTile(1, 1));
        QCOMPARE(copy.GetTile(2, 1), source.GetTile(2, 1));
        // A tile held by one image only is written in place.
        const KXImage32::Tile* own = copy.GetTile(1, 1);
        QVERIFY(!copy.IsTileShared(1, 1));
        QVERIFY(copy.SetPixel(201, 150, Red));
        QCOMPARE(copy.GetTile(1, 1), own);
    }

    void lineBounds_data()
    {
        QTest::addColumn<unsigned int>("y");
        QTest::addColumn<unsigned int>("x");
        QTest::addColumn<unsigned int>("bytes");
        QTest::addColumn<bool>("result");
        QTest::newRow("first pixel") << 0u << 0u << 4u << true;
        QTest::newRow("zero bytes") << 1u << 5u << 0u << true;
        QTest::newRow("last pixel") << 2u << 129u << 4u << true;
        QTest::newRow("y at the height") << 3u << 0u << 4u << false;
        QTest::newRow("x at the width") << 0u << 130u << 4u << false;
        QTest::newRow("far away") << 0xFFFFFFFFu << 0xFFFFFFFFu << 4u << false;
    }
    void lineBounds()
    {
        QFETCH(unsigned int, y);
        QFETCH(unsigned int, x);
        QFETCH(unsigned int, bytes);
        QFETCH(bool, result);
        KXImage32 image = Painted(130, 3);
        const KXImage32 before = image;
        KXRGBA32i pixel = Red;
        QCOMPARE(image.ReadLine(y, x, reinterpret_cast<unsigned char*>(&pixel), bytes), result);
        if (!result || bytes == 0)
            QCOMPARE(pixel, Red);
        else
            QCOMPARE(pixel, Pattern(x, y));
        QCOMPARE(image.WriteLine(y, x, reinterpret_cast<const unsigned char*>(&Red), bytes), result);
        QCOMPARE(image.GetPixel(x, y), result && bytes ? Red : (x < 130 && y < 3 ? Pattern(x, y) : KXRGBA32i()));
        QCOMPARE(image.SetPixel(x, y, Red), result);
        QCOMPARE(before.GetPixel(0, 0), Pattern(0, 0));
    }

    void writeLinePastWidth()
    {
        KXImage32 image(130, 2);
        const KXImage32 before = image;
        std::vector<KXRGBA32i> line(300, Red);
        QVERIFY(image.WriteLine(1, 120, reinterpret_cast<const unsigned char*>(line.data()), 300 * 4));
        // Eight pixels in the first tile, then the whole row of the border
        // tile (beyond the width too); nothing after the last column.
        std::vector<KXRGBA32i> back(136);
        QVERIFY(image.ReadLine(1, 120, reinterpret_cast<unsigned char*>(back.data()), 136 * 4));
        QVERIFY(std::all_of(back.begin(), back.end(), [](const KXRGBA32i& pixel) { return pixel == Red; }));
        QCOMPARE(image.GetPixel(119, 1), KXRGBA32i());
        QCOMPARE(image.GetPixel(129, 0), KXRGBA32i());
        // The image it shared its tiles with is unchanged.
        QCOMPARE(before.GetPixel(125, 1), KXRGBA32i());
        QCOMPARE(before.DistinctTileCount(), 2);
    }

    void qimageConversions()
    {
        const KXImage32 image = Painted(300, 130);
        const QImage converted = image.ToQImage();
        // Bytes in memory are the pixel's bytes: red, green, blue, alpha.
        const uchar* last = converted.constScanLine(129) + 299 * 4;
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(last), 4), QByteArray("\x2B\x81\xB0\xAC", 4));
        QVERIFY(KXImage32::FromQImage(converted).IsPixelEqual(image));
        // Other formats are converted; Value() holds red in the lowest byte.
        QImage argb(3, 2, QImage::Format_ARGB32);
        argb.fill(QColor(10, 20, 30, 40));
        QCOMPARE(KXImage32::FromQImage(argb).GetPixel(2, 1).Value(), 0x281E140Au);
    }

private:
    qint64 m_live = 0;
};

QTEST_MAIN(TestKXImage)
#include "tst_kximage.moc"

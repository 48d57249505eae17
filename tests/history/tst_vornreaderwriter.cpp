#include <QLinearGradient>

#include <atomic>
#include <functional>
#include <memory>

#include "recordtesting.h"

using Writer = std::function<bool(IWriter*)>;
using Reader = std::function<bool(IReader*)>;
Q_DECLARE_METATYPE(Writer)
Q_DECLARE_METATYPE(Reader)

namespace {

using Element = KXPathElement;
using Subpaths = QList<QPair<QList<KXPathElement>, int>>;

// Reads one field of type T into a fresh value.
template <class T> Reader Reads(bool (IReader::*read)(T&))
{
    return [read](IReader* r) {
        T value {};
        return (r->*read)(value);
    };
}

template <class T, class V> Writer Writes(bool (IWriter::*write)(T), const V& value)
{
    return [write, value](IWriter* w) { return (w->*write)(value); };
}

// One record holding every field type.
struct AllFields
{
    int integer = 0;
    unsigned int unsignedInteger = 0;
    double real = 0;
    QPoint point;
    QRect rect;
    QSize size;
    QString string;
    QByteArray bytes;
    QByteArray raw = QByteArray(4, '\0');
    QTransform transform;
    QMatrix4x4 matrix;
    QPainterPath painterPath;
    QList<KXPathElement> elements;
    Subpaths subpaths;
    QBrush gradientBrush;
    QFont font;
    QImage argb;
    QImage rgb;
    KXImage32 pattern;
    KXImage32 uniform;

    static AllFields Sample()
    {
        AllFields f;
        f.integer = -5;
        f.unsignedInteger = 0xFFFFFFFFu;
        f.real = -0.125;
        f.point = QPoint(3, -4);
        f.rect = QRect(-1, 2, 30, 40);
        f.size = QSize(7, 9);
        f.string = QStringLiteral("Ebene \u00fc 1");
        f.bytes = QByteArray("a\0b", 3);
        f.raw = QByteArray("raw!");
        f.transform = QTransform(1, 2, 0.5, 3, 4, 0.25, 5, 6, 1);
        f.matrix.rotate(30, 1, 0, 0);
        f.matrix.translate(1, 2, 3);
        f.painterPath.addEllipse(QRectF(1, 2, 30, 20));
        f.painterPath.addRect(QRectF(5, 5, 10, 10));
        f.painterPath.setFillRule(Qt::WindingFill);
        f.elements = ConvertTo(f.painterPath);
        f.subpaths
            = { qMakePair(QList<Element> { Element(Element::MoveTo, QPointF(1, 1)) }, 7), qMakePair(f.elements, -2) };
        QLinearGradient gradient(0, 0, 10, 20);
        gradient.setColorAt(0, Qt::red);
        gradient.setColorAt(1, QColor(0, 0, 255, 100));
        f.gradientBrush = QBrush(gradient);
        f.font = QFont(QStringLiteral("DejaVu Sans"), 13, QFont::Bold, true);
        f.argb = PatternImage(5, 3, 8).ToQImage().convertToFormat(QImage::Format_ARGB32);
        f.rgb = f.argb.copy(0, 0, 3, 2).convertToFormat(QImage::Format_RGB888); // lines padded from 9 to 12 bytes
        f.pattern = PatternImage(300, 200, 1);
        f.uniform = KXImage32(1000, 700);
        f.uniform.Fill(KXRGBA32i(1, 2, 3, 4));
        return f;
    }

    bool Write(IWriter& w) const
    {
        return w.WriteInt(integer) && w.WriteUInt(unsignedInteger) && w.WriteQReal(real) && w.WritePoint(point)
            && w.WriteRect(rect) && w.WriteSize(size) && w.WriteString(string) && w.WriteByteArray(bytes)
            && w.WriteRawData(raw.constData(), raw.size()) == raw.size() && w.WriteTransform(transform)
            && w.WriteMatrix4x4(matrix) && w.WritePainterPath(painterPath) && w.WriteVornPath(elements)
            && w.WriteVornPath(subpaths) && w.WriteBrush(gradientBrush) && w.WriteFont(font)
            && w.WriteImage(argb) && w.WriteImage(rgb) && w.WriteKXImage(pattern) && w.WriteKXImage(uniform);
    }

    bool Read(IReader& r)
    {
        return r.ReadInt(integer) && r.ReadUInt(unsignedInteger) && r.ReadQReal(real) && r.ReadPoint(point)
            && r.ReadRect(rect) && r.ReadSize(size) && r.ReadString(string) && r.ReadByteArray(bytes)
            && r.ReadRawData(raw.data(), raw.size()) == raw.size() && r.ReadTransform(transform)
            && r.ReadMatrix4x4(matrix) && r.ReadPainterPath(painterPath) && r.ReadVornPath(elements)
            && r.ReadVornPath(subpaths) && r.ReadBrush(gradientBrush) && r.ReadFont(font)
            && r.ReadImage(argb) && r.ReadImage(rgb) && r.ReadKXImage(pattern) && r.ReadKXImage(uniform);
    }
};

// Operations of each kind (all go through one open check per direction):
// each must fail on a file that is not open.
QList<std::function<bool(VornReaderWriter*)>> SomeOperations()
{
    return { Reads(&IReader::ReadInt), Reads(&IReader::ReadKXImage),
        [](VornReaderWriter* rw) {
            char buffer[4];
            return rw->ReadRawData(buffer, 4) != -1;
        },
        Writes(&IWriter::WriteInt, 1), Writes(&IWriter::WriteKXImage, KXImage32(1, 1)),
        [](VornReaderWriter* rw) { return rw->WriteRawData("abcd", 4) != -1; } };
}

} // namespace

class TestVornReaderWriter : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;

    QString NewPath() { return m_dir.filePath(QStringLiteral("record%1").arg(++m_files)); }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void encoding_data()
    {
        QTest::addColumn<Writer>("write");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("int 1") << Writes(&IWriter::WriteInt, 1) << Hex("00000001");
        QTest::newRow("uint max") << Writes(&IWriter::WriteUInt, 0xFFFFFFFFu) << Hex("ffffffff");
        QTest::newRow("qreal") << Writes(&IWriter::WriteQReal, 1.5) << Hex("3ff8000000000000");
        QTest::newRow("point") << Writes(&IWriter::WritePoint, QPoint(1, -1)) << Hex("00000001 ffffffff");
        QTest::newRow("rect") << Writes(&IWriter::WriteRect, QRect(1, 2, 3, 4))
                              << Hex("00000001 00000002 00000003 00000005");
        QTest::newRow("string") << Writes(&IWriter::WriteString, QStringLiteral("AB")) << Hex("00000004 0041 0042");
        QTest::newRow("byte array") << Writes(&IWriter::WriteByteArray, QByteArray("xyz")) << Hex("00000003 78797a");
        QTest::newRow("null byte array") << Writes(&IWriter::WriteByteArray, QByteArray()) << Hex("ffffffff");
        QTest::newRow("raw data") << Writer([](IWriter* w) { return w->WriteRawData("xyz", 3) == 3; }) << Hex("78797a");
        QTest::newRow("path elements") << Writes<const QList<Element>&>(
            &IWriter::WriteVornPath, QList<Element> { Element(Element::LineTo, { 1, 2 }) })
                                       << Hex("00000001 00000001 3ff0000000000000 4000000000000000");
        QTest::newRow("subpaths") << Writes<const Subpaths&>(
            &IWriter::WriteVornPath, Subpaths { qMakePair(QList<Element> { Element(Element::CurveTo, { -2, 0 }) }, 7) })
                                  << Hex("00000001 00000001 00000002 c000000000000000 0000000000000000 00000007");
        const QImage image = QImage(reinterpret_cast<const uchar*>("\x01\x02\x03\x04\x05\x06\x07\x08"), 2, 1,
            QImage::Format_RGBA8888).copy();
        QTest::newRow("image") << Writes(&IWriter::WriteImage, image)
                               << Hex("00000002 00000001 00000011 00000008 0102030405060708");
        QTest::newRow("null image") << Writes(&IWriter::WriteImage, QImage())
                                    << Hex("00000000 00000000 00000000 00000000");
        QTest::newRow("tiled image 0x0") << Writes(&IWriter::WriteKXImage, KXImage32()) << Hex("00000000 00000000");
        const QBrush brush(QColor(1, 2, 3, 4), Qt::CrossPattern);
        QTest::newRow("brush") << Writes(&IWriter::WriteBrush, brush)
                               << Streamed(Streamed(brush));
        const QFont font(QStringLiteral("DejaVu Serif"), 11, QFont::Bold);
        QTest::newRow("font") << Writes(&IWriter::WriteFont, font)
                              << Streamed(Streamed(font));
    }

    void encoding()
    {
        QFETCH(Writer, write);
        QFETCH(QByteArray, bytes);
        QCOMPARE(WrittenBytes(write).toHex(), bytes.toHex());
    }

    // Width, height, then one qCompress blob per tile, row by row; read back,
    // the same tiles (the area beyond the edge included).
    void tiledImageRecord_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("uniform");
        QTest::newRow("129x1") << QSize(129, 1) << false;
        QTest::newRow("300x200") << QSize(300, 200) << false;
        QTest::newRow("300x300 uniform, shared tiles") << QSize(300, 300) << true;
        QTest::newRow("5x0") << QSize(5, 0) << true;
        // More tiles than one batch of parallel compression and decoding.
        QTest::newRow("1100x600") << QSize(1100, 600) << false;
        QTest::newRow("5000x200 uniform") << QSize(5000, 200) << true;
    }

    void tiledImageRecord()
    {
        QFETCH(QSize, size);
        QFETCH(bool, uniform);
        KXImage32 image
            = uniform ? KXImage32(size.width(), size.height()) : PatternImage(size.width(), size.height(), 3);
        if (uniform)
            image.Fill(KXRGBA32i(9, 8, 7, 255));
        const QByteArray bytes = WrittenBytes(Writes(&IWriter::WriteKXImage, image));
        QCOMPARE(bytes, TiledRecord(image));
        KXImage32 back;
        QVERIFY(ReadBytes(bytes, [&](IReader* r) { return r->ReadKXImage(back); }));
        QCOMPARE(TiledRecord(back), bytes);
    }

    // Blobs are reused only while their tile keeps its bytes: a tile changed in
    // place, a tile freed and its memory given to another, and a shared tile
    // copied on write are all compressed anew.
    void tileBlobsFollowTileChanges_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("unchanged") << "none";
        QTest::newRow("changed in place") << "in place";
        QTest::newRow("freed, memory reused") << "reused";
        QTest::newRow("copied on write") << "copy";
    }
    void tileBlobsFollowTileChanges()
    {
        QFETCH(QString, change);
        KXImage32 image = PatternImage(256, 128, 4);
        const QByteArray first = WrittenBytes(Writes(&IWriter::WriteKXImage, image));
        const KXImage32 original = image.Copy();
        if (change == QLatin1String("in place")) {
            QVERIFY(!image.IsTileShared(1, 0));
            QVERIFY(image.SetPixel(200, 5, KXRGBA32i(1, 2, 3, 4)));
        } else if (change == QLatin1String("reused")) {
            image = KXImage32(); // its tiles go back to the pool ...
            image = PatternImage(256, 128, 5); // ... and are handed out again
        } else if (change == QLatin1String("copy")) {
            const KXImage32 keeper = image;
            QVERIFY(image.SetPixel(0, 0, KXRGBA32i(9, 9, 9, 9)));
            QCOMPARE(WrittenBytes(Writes(&IWriter::WriteKXImage, keeper)), first);
        }
        const QByteArray second = WrittenBytes(Writes(&IWriter::WriteKXImage, image));
        QCOMPARE(second, TiledRecord(image));
        QCOMPARE(second == first, image.IsPixelEqual(original));
    }

    // A raised cancel flag makes every write fail, a tiled image included;
    // lowered again, writing goes on.
    void cancelFlagStopsWrites()
    {
        std::atomic<bool> cancel {true};
        VornReaderWriter rw;
        rw.SetCancelFlag(&cancel);
        QVERIFY(rw.Open(NewPath()) && rw.IsCancelRequested());
        QVERIFY(!rw.WriteInt(1));
        QVERIFY(!rw.WriteKXImage(PatternImage(300, 200, 1)));
        QCOMPARE(rw.WriteRawData("ab", 2), -1);
        cancel = false;
        QVERIFY(!rw.IsCancelRequested());
        QVERIFY(rw.WriteInt(2));
        rw.Close();
        QCOMPARE(FileBytes(rw.GetFileName()).toHex(), QByteArray("00000002"));
    }

    // Read into blank fields and written again, the record comes out byte for byte.
    void roundTrip()
    {
        const AllFields written = AllFields::Sample();
        const QByteArray record = WrittenBytes([&](IWriter* w) { return written.Write(*w); });
        AllFields f;
        QVERIFY(ReadBytes(record, [&](IReader* r) {
            char extra;
            return f.Read(*r) && r->ReadRawData(&extra, 1) == 0; // the record ends where the last field ends
        }));
        QCOMPARE(WrittenBytes([&](IWriter* w) { return f.Write(*w); }), record);

        // Fields whose read and write could err alike.
        QCOMPARE(f.painterPath, written.painterPath);
        QCOMPARE(f.gradientBrush, written.gradientBrush);
        QCOMPARE(f.font, written.font);
        QCOMPARE(f.rgb.format(), QImage::Format_RGB888);
        QCOMPARE(f.rgb, written.rgb);
        QCOMPARE(TiledRecord(f.pattern), TiledRecord(written.pattern));
        // Positions that held one tile hold one tile again after reading.
        QCOMPARE(f.uniform.DistinctTileCount(), written.uniform.DistinctTileCount());
        // A tile shared after reading is still copied on write.
        QVERIFY(f.uniform.SetPixel(0, 0, KXRGBA32i(255, 0, 0, 255)));
        QCOMPARE(f.uniform.GetPixel(1, 0), KXRGBA32i(1, 2, 3, 4));
        QCOMPARE(f.uniform.GetPixel(0, 128), KXRGBA32i(1, 2, 3, 4));
    }

    // Every Open after the first ignores its path and reads the first file from the start.
    void readAgainFromTheStart()
    {
        const auto rw = std::make_unique<VornReaderWriter>();
        const QString first = NewPath();
        QVERIFY(rw->Open(first) && rw->WriteInt(11) && rw->WriteInt(12));
        rw->Close();
        for (int pass = 0; pass < 2; ++pass) {
            const QString other = NewPath();
            QVERIFY(rw->Open(other) && !QFile::exists(other));
            QCOMPARE(rw->GetFileName(), first);
            int a = 0;
            int b = 0;
            QVERIFY(rw->ReadInt(a) && rw->ReadInt(b));
            QCOMPARE(a * 100 + b, 1112);
            QVERIFY(rw->Seek(4) && !rw->Seek(-1) && rw->ReadInt(b));
            QCOMPARE(b, 12);
            rw->Close();
        }
    }

    void writeAfterReadFails()
    {
        MessageCapture capture;
        int value = 0;
        QVERIFY(ReadBytes(Hex("00000001"), [&](IReader* r) {
            auto* rw = static_cast<VornReaderWriter*>(r);
            return rw->ReadInt(value) && !rw->WriteInt(2) && rw->WriteRawData("ab", 2) == -1 && rw->GetSize() == 4;
        }));

        // A read that fails still ends writing, even on the file still open for writing.
        VornReaderWriter writing;
        QVERIFY(writing.Open(NewPath()) && !writing.ReadInt(value) && !writing.WriteInt(1));
        QCOMPARE(writing.GetSize(), 0LL);
        QVERIFY(capture.messages().isEmpty());
    }

    void closedFileFails()
    {
        MessageCapture capture;
        VornReaderWriter rw;
        QCOMPARE(rw.GetFileName(), QString());
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 1) {
                QVERIFY(rw.Open(NewPath()) && rw.WriteInt(1));
                rw.Close();
            }
            QVERIFY(!rw.Seek(0));
            const auto operations = SomeOperations();
            for (int i = 0; i < operations.size(); ++i)
                QVERIFY2(!operations[i](&rw), qPrintable(QStringLiteral("operation %1, pass %2").arg(i).arg(pass)));
            QCOMPARE(rw.GetSize(), pass * 4LL);
        }
        QVERIFY(capture.messages().isEmpty());
    }

    void openWhileOpenReports_data()
    {
        QTest::addColumn<bool>("reading");
        QTest::newRow("open for writing") << false;
        QTest::newRow("open for reading") << true;
    }

    void openWhileOpenReports()
    {
        QFETCH(bool, reading);
        const QString path = NewPath();
        VornReaderWriter rw;
        QVERIFY(rw.Open(path) && rw.WriteInt(5));
        if (reading)
            rw.Close();
        QVERIFY(!reading || rw.Open(QString()));
        MessageCapture capture;
        QVERIFY(!rw.Open(NewPath()) && !rw.Open(path));
        const QString report = ReportPattern(QStringLiteral("src/vorncommandprivate/vornreaderwriter.cpp"),
            QStringLiteral("Open fail. File already opened only for read."));
        CompareReports(capture.texts(), {report, report});
        // The open file is left as it was.
        QCOMPARE(rw.GetFileName(), path);
        int value = 0;
        QCOMPARE(reading ? rw.ReadInt(value) : rw.WriteInt(6), true);
    }

    // Cuts anywhere are covered by truncatedRecord; these are well-formed
    // records with bad values.
    void corruptInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Reader>("read");
        const Reader tiled = [](IReader* r) {
            KXImage32 image(3, 3);
            const bool read = r->ReadKXImage(image);
            return read || image.GetWidth() != 3; // a failed read leaves the target alone
        };
        const Reader image = Reads(&IReader::ReadImage);
        const Reader painterPath = Reads(&IReader::ReadPainterPath);
        const auto tileRecord = [](const QByteArray& blob) {
            return Streamed(quint32(128), quint32(128), blob);
        };
        const QByteArray shortTile = qCompress(QByteArray(65535, 'a'), -1);
        QByteArray lyingTile = shortTile;
        lyingTile.replace(0, 4, Hex("00010000"));
        QByteArray hugeTile = qCompress(QByteArray(65536, 'a'), -1);
        hugeTile.replace(0, 4, Hex("7fffffff"));
        QByteArray validTiled = Streamed(quint32(300), quint32(200));
        for (char i = 0; i < 6; ++i)
            validTiled += Streamed(qCompress(QByteArray(65536, i), -1));

        QTest::newRow("tiled: last blob missing")
            << validTiled.left(validTiled.lastIndexOf(Hex("00010000")) - 4) << tiled;
        QTest::newRow("tiled: blob of 65535 bytes") << tileRecord(shortTile) << tiled;
        QTest::newRow("tiled: prefix 65536, 65535 inside") << tileRecord(lyingTile) << tiled;
        QTest::newRow("tiled: prefix 2 GiB") << tileRecord(hugeTile) << tiled;
        QTest::newRow("tiled: not zlib") << tileRecord(Hex("00010000") + QByteArray(40, 'x')) << tiled;
        QTest::newRow("tiled: giant size") << Hex("ffffffff ffffffff") + QByteArray(64, 0) << tiled;
        QTest::newRow("tiled: a million tiles, no blobs") << Hex("0001f400 0001f400") + QByteArray(64, 0) << tiled;
        QTest::newRow("tiled: giant blob length") << Hex("00000080 00000080 7ffffff0") + QByteArray(10, 'x') << tiled;

        QTest::newRow("image: larger than the file") << Hex("00004e20 00004e20 00000005 5f5e1000 01020304") << image;
        QTest::newRow("image: length mismatch") << Hex("00000002 00000001 00000011 00000007 01020304050607") << image;
        QTest::newRow("image: unknown format") << Hex("00000001 00000001 00000063 00000004 01020304") << image;

        const QByteArray move = Hex("00000000 3ff0000000000000 3ff0000000000000");
        const QByteArray line = Hex("00000001 4000000000000000 4000000000000000");
        const QByteArray trailer = Hex("00000000 00000001");
        QTest::newRow("path: giant count") << Hex("7fffffff") + move + trailer << painterPath;
        QTest::newRow("path: unknown element type")
            << Hex("00000002") + move + Hex("00000005") + line.mid(4) + trailer << painterPath;
        QTest::newRow("path: curve without its data")
            << Hex("00000002") + move + Hex("00000002") + line.mid(4) + trailer << painterPath;
        QTest::newRow("path: subpath start out of range")
            << Hex("00000002") + move + line + Hex("00000005 00000001") << painterPath;
        QTest::newRow("path: unknown fill rule")
            << Hex("00000002") + move + line + Hex("00000000 00000007") << painterPath;
        QTest::newRow("path: NaN") << Hex("00000002") + move + Hex("00000001 7ff8000000000000 0000000000000000")
                + trailer << painterPath;

        QTest::newRow("elements: giant count")
            << Hex("7fffffff") + line << Reads<QList<Element>>(&IReader::ReadVornPath);
        QTest::newRow("elements: unknown type")
            << Hex("00000001 00000009") + line.mid(4) << Reads<QList<Element>>(&IReader::ReadVornPath);
        QTest::newRow("subpaths: giant count")
            << Hex("ffffffff 00000000 00000000") << Reads<Subpaths>(&IReader::ReadVornPath);
        QTest::newRow("byte array: giant length") << Hex("7fffffff 616263") << Reads(&IReader::ReadByteArray);
        QTest::newRow("string: odd length") << Hex("00000003 006100") << Reads(&IReader::ReadString);
        // Lengths and sizes beyond the file or any document fail before allocating.
        QTest::newRow("string: past end") << Hex("7ffffffe 0041") << Reads(&IReader::ReadString);
        QTest::newRow("byte array: past end") << Hex("fffffffe 41") << Reads(&IReader::ReadByteArray);
        // Width 300001, height 1, ARGB32 (5), length 1200004: a side too large.
        QTest::newRow("image: side")
            << Hex("000493e1 00000001 00000005 00124f84") + QByteArray(1200004, '\0') << image;
        // A tiled image 2^31 wide and 0 high: no tiles, but a side no document holds.
        QTest::newRow("tiled: side") << Hex("80000000 00000000") << tiled;
    }

    void corruptInput()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Reader, read);
        QVERIFY(!ReadBytes(bytes, read));
    }

    // Every cut of a full record makes reading it fail somewhere, never crash.
    void truncatedRecord()
    {
        const AllFields sample = AllFields::Sample();
        const QByteArray record = WrittenBytes([&](IWriter* w) { return sample.Write(*w); });
        const int step = qMax(1, record.size() / 300);
        for (int cut = 0; cut < record.size(); cut += (cut < 200 ? 1 : step)) {
            AllFields fields;
            const bool read = ReadBytes(record.left(cut), [&](IReader* r) { return fields.Read(*r); });
            QVERIFY2(!read, qPrintable(QStringLiteral("cut at %1").arg(cut)));
        }
    }
};

QTEST_MAIN(TestVornReaderWriter)
#include "tst_vornreaderwriter.moc"

#include <QDataStream>
#include <QFile>
#include <QLinearGradient>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>

#include "messagecapture.h"
#include "vornreaderwriter.h"

using Writer = std::function<bool(IWriter&)>;
using Reader = std::function<bool(IReader&)>;
Q_DECLARE_METATYPE(Writer)
Q_DECLARE_METATYPE(Reader)

namespace {

using Element = KXPathElement;
using Subpaths = QList<QPair<QList<KXPathElement>, int>>;

QByteArray Hex(const char* text)
{
    return QByteArray::fromHex(text);
}

QByteArray Encode(const std::function<void(QDataStream&)>& encode)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    encode(stream);
    return bytes;
}

// Reads one field of type T into a fresh value.
template <class T> Reader Reads(bool (IReader::*read)(T&))
{
    return [read](IReader& r) {
        T value {};
        return (r.*read)(value);
    };
}

template <class T, class V> Writer Writes(bool (IWriter::*write)(T), const V& value)
{
    return [write, value](IWriter& w) { return (w.*write)(value); };
}

// A filled image with a different dot pattern in every tile.
KXImage32 PatternImage(unsigned int width, unsigned int height)
{
    KXImage32 image(width, height);
    image.Fill(KXRGBA32i(10, 20, 30, 255));
    for (unsigned int y = 0; y < height; y += 7)
        for (unsigned int x = 0; x < width; x += 3)
            image.SetPixel(x, y, KXRGBA32i(quint8(x), quint8(y), quint8(x ^ y), 200));
    return image;
}

QByteArray TileBytes(const KXImage32& image, unsigned int column, unsigned int row)
{
    QByteArray bytes(ZTTileManager64::TileBytes, Qt::Uninitialized);
    ZTTileManager64::Instance()->ReadMemory(image.GetTile(column, row)->Handle(), bytes.data());
    return bytes;
}

// Same size and same bytes in every tile, the area beyond the edge included.
bool SameTiles(const KXImage32& a, const KXImage32& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return false;
    for (unsigned int row = 0; row < a.GetRows(); ++row)
        for (unsigned int column = 0; column < a.GetColumns(); ++column)
            if (TileBytes(a, column, row) != TileBytes(b, column, row))
                return false;
    return true;
}

// Smooth gradients with a little grain, like a photo.
KXImage32 PhotoImage(unsigned int width, unsigned int height)
{
    KXImage32 image(width, height);
    quint32 seed = 7;
    for (unsigned int y = 0; y < height; ++y) {
        for (unsigned int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 29) - 4;
            image.SetPixel(x, y,
                KXRGBA32i(quint8(qBound(0, int(x / 3) + grain, 255)), quint8(qBound(0, int(y / 2) + grain, 255)),
                    quint8(qBound(0, int(x + y) / 5 + 60 + grain, 255)), 255));
        }
    }
    return image;
}

// Random bytes everywhere: zlib stores these tiles rather than compressing them.
KXImage32 NoiseImage(unsigned int width, unsigned int height)
{
    KXImage32 image(width, height);
    quint32 seed = 99;
    for (unsigned int y = 0; y < height; ++y)
        for (unsigned int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            image.SetPixel(x, y, KXRGBA32i::FromValue(seed ^ (seed >> 13)));
        }
    return image;
}

// The tile blobs of a record holding one tiled image.
QList<QByteArray> RecordBlobs(const QByteArray& record)
{
    QDataStream in(record);
    quint32 width = 0;
    quint32 height = 0;
    in >> width >> height;
    QList<QByteArray> blobs;
    while (!in.atEnd() && in.status() == QDataStream::Ok) {
        QByteArray blob;
        in >> blob;
        blobs.append(blob);
    }
    return blobs;
}

QImage SampleImage(QImage::Format format, int width, int height)
{
    QImage image(width, height, format);
    image.fill(Qt::transparent);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, QColor(x * 40, y * 60, 90, 255 - x * 10));
    return image;
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
    QBrush brush;
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
        f.brush = QBrush(QColor(1, 2, 3, 4), Qt::Dense3Pattern);
        QLinearGradient gradient(0, 0, 10, 20);
        gradient.setColorAt(0, Qt::red);
        gradient.setColorAt(1, QColor(0, 0, 255, 100));
        f.gradientBrush = QBrush(gradient);
        f.font = QFont(QStringLiteral("DejaVu Sans"), 13, QFont::Bold, true);
        f.argb = SampleImage(QImage::Format_ARGB32, 5, 3);
        f.rgb = SampleImage(QImage::Format_RGB888, 3, 2); // scan lines padded from 9 to 12 bytes
        f.pattern = PatternImage(300, 200);
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
            && w.WriteVornPath(subpaths) && w.WriteBrush(brush) && w.WriteBrush(gradientBrush) && w.WriteFont(font)
            && w.WriteImage(argb) && w.WriteImage(rgb) && w.WriteKXImage(pattern) && w.WriteKXImage(uniform);
    }

    bool Read(IReader& r)
    {
        return r.ReadInt(integer) && r.ReadUInt(unsignedInteger) && r.ReadQReal(real) && r.ReadPoint(point)
            && r.ReadRect(rect) && r.ReadSize(size) && r.ReadString(string) && r.ReadByteArray(bytes)
            && r.ReadRawData(raw.data(), raw.size()) == raw.size() && r.ReadTransform(transform)
            && r.ReadMatrix4x4(matrix) && r.ReadPainterPath(painterPath) && r.ReadVornPath(elements)
            && r.ReadVornPath(subpaths) && r.ReadBrush(brush) && r.ReadBrush(gradientBrush) && r.ReadFont(font)
            && r.ReadImage(argb) && r.ReadImage(rgb) && r.ReadKXImage(pattern) && r.ReadKXImage(uniform);
    }
};

// Every operation: each must fail on a file that is not open.
QList<std::function<bool(VornReaderWriter&)>> AllOperations()
{
    return { Reads(&IReader::ReadImage), Reads(&IReader::ReadInt), Reads(&IReader::ReadUInt),
        Reads(&IReader::ReadQReal), Reads<Subpaths>(&IReader::ReadVornPath),
        Reads<QList<Element>>(&IReader::ReadVornPath), Reads(&IReader::ReadPainterPath), Reads(&IReader::ReadPoint),
        Reads(&IReader::ReadRect), Reads(&IReader::ReadSize), Reads(&IReader::ReadString),
        Reads(&IReader::ReadTransform), Reads(&IReader::ReadKXImage), Reads(&IReader::ReadBrush),
        Reads(&IReader::ReadMatrix4x4), Reads(&IReader::ReadFont), Reads(&IReader::ReadByteArray),
        [](VornReaderWriter& rw) {
            char buffer[4];
            return rw.ReadRawData(buffer, 4) != -1;
        },
        Writes(&IWriter::WriteImage, QImage()), Writes(&IWriter::WriteInt, 1), Writes(&IWriter::WriteUInt, 1u),
        Writes(&IWriter::WriteQReal, 1.0), Writes<const Subpaths&>(&IWriter::WriteVornPath, Subpaths()),
        Writes<const QList<Element>&>(&IWriter::WriteVornPath, QList<Element>()),
        Writes(&IWriter::WritePainterPath, QPainterPath()), Writes(&IWriter::WritePoint, QPoint()),
        Writes(&IWriter::WriteRect, QRect()), Writes(&IWriter::WriteSize, QSize()),
        Writes(&IWriter::WriteString, QString()), Writes(&IWriter::WriteTransform, QTransform()),
        Writes(&IWriter::WriteKXImage, KXImage32(1, 1)), Writes(&IWriter::WriteBrush, QBrush()),
        Writes(&IWriter::WriteMatrix4x4, QMatrix4x4()), Writes(&IWriter::WriteFont, QFont()),
        Writes(&IWriter::WriteByteArray, QByteArray()),
        [](VornReaderWriter& rw) { return rw.WriteRawData("abcd", 4) != -1; } };
}

} // namespace

class TestVornReaderWriter : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;

    QString NewPath() { return m_dir.filePath(QStringLiteral("record%1").arg(++m_files)); }

    static QByteArray Contents(const VornReaderWriter& rw)
    {
        QFile file(rw.GetFileName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // A reader/writer whose file holds what write wrote, closed again.
    std::unique_ptr<VornReaderWriter> Written(const Writer& write)
    {
        auto rw = std::make_unique<VornReaderWriter>();
        if (!rw->Open(NewPath()) || !write(*rw))
            return nullptr;
        rw->Close();
        return rw;
    }

    // A reader/writer whose file holds bytes, reopened for reading.
    std::unique_ptr<VornReaderWriter> FileWith(const QByteArray& bytes)
    {
        auto rw = Written([&](IWriter& w) { return w.WriteRawData(bytes.constData(), bytes.size()) == bytes.size(); });
        return rw && rw->Open(QString()) ? std::move(rw) : nullptr;
    }

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
        QTest::newRow("raw data") << Writer([](IWriter& w) { return w.WriteRawData("xyz", 3) == 3; }) << Hex("78797a");
        QTest::newRow("path elements") << Writes<const QList<Element>&>(
            &IWriter::WriteVornPath, QList<Element> { Element(Element::LineTo, { 1, 2 }) })
                                       << Hex("00000001 00000001 3ff0000000000000 4000000000000000");
        QTest::newRow("subpaths") << Writes<const Subpaths&>(
            &IWriter::WriteVornPath, Subpaths { qMakePair(QList<Element> { Element(Element::CurveTo, { -2, 0 }) }, 7) })
                                  << Hex("00000001 00000001 00000002 c000000000000000 0000000000000000 00000007");
        QImage image(2, 1, QImage::Format_RGBA8888);
        std::memcpy(image.bits(), "\x01\x02\x03\x04\x05\x06\x07\x08", 8);
        QTest::newRow("image") << Writes(&IWriter::WriteImage, image)
                               << Hex("00000002 00000001 00000011 00000008 0102030405060708");
        QTest::newRow("null image") << Writes(&IWriter::WriteImage, QImage())
                                    << Hex("00000000 00000000 00000000 00000000");
        QTest::newRow("tiled image 0x0") << Writes(&IWriter::WriteKXImage, KXImage32()) << Hex("00000000 00000000");
        const QBrush brush(QColor(1, 2, 3, 4), Qt::CrossPattern);
        QTest::newRow("brush") << Writes(&IWriter::WriteBrush, brush)
                               << Encode([&](QDataStream& s) { s << Encode([&](QDataStream& i) { i << brush; }); });
        const QFont font(QStringLiteral("DejaVu Serif"), 11, QFont::Bold);
        QTest::newRow("font") << Writes(&IWriter::WriteFont, font)
                              << Encode([&](QDataStream& s) { s << Encode([&](QDataStream& i) { i << font; }); });
    }

    void encoding()
    {
        QFETCH(Writer, write);
        QFETCH(QByteArray, bytes);
        const std::unique_ptr<VornReaderWriter> rw = Written(write);
        QVERIFY(rw);
        QCOMPARE(Contents(*rw).toHex(), bytes.toHex());
        QCOMPARE(rw->GetSize(), (long long)bytes.size());
    }

    // Width, height, then one qCompress blob per tile, row by row.
    void tiledImageRecord_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("content");
        QTest::addColumn<int>("blobs");
        QTest::newRow("129x1") << QSize(129, 1) << "pattern" << 2;
        QTest::newRow("300x200") << QSize(300, 200) << "pattern" << 6;
        QTest::newRow("300x300 uniform, shared tiles") << QSize(300, 300) << "uniform" << 9;
        QTest::newRow("5x0") << QSize(5, 0) << "pattern" << 0;
        // More tiles than one batch of parallel compression and decoding.
        QTest::newRow("1100x600 photo") << QSize(1100, 600) << "photo" << 45;
        QTest::newRow("300x140 noise") << QSize(300, 140) << "noise" << 6;
        QTest::newRow("5000x200 uniform") << QSize(5000, 200) << "uniform" << 80;
    }

    void tiledImageRecord()
    {
        QFETCH(QSize, size);
        QFETCH(QString, content);
        QFETCH(int, blobs);
        KXImage32 image = content == QLatin1String("photo") ? PhotoImage(size.width(), size.height())
            : content == QLatin1String("noise")             ? NoiseImage(size.width(), size.height())
                                                            : PatternImage(size.width(), size.height());
        if (content == QLatin1String("uniform"))
            image.Fill(KXRGBA32i(9, 8, 7, 255));
        const std::unique_ptr<VornReaderWriter> rw = Written(Writes(&IWriter::WriteKXImage, image));
        QVERIFY(rw);

        const QByteArray bytes = Contents(*rw);
        QDataStream in(bytes);
        quint32 width = 0;
        quint32 height = 0;
        in >> width >> height;
        QCOMPARE(QSize(width, height), size);
        int count = 0;
        for (unsigned int row = 0; row < image.GetRows(); ++row) {
            for (unsigned int column = 0; column < image.GetColumns(); ++column, ++count) {
                QByteArray blob;
                in >> blob;
                QCOMPARE(in.status(), QDataStream::Ok);
                QCOMPARE(blob, qCompress(TileBytes(image, column, row), -1));
            }
        }
        QCOMPARE(count, blobs);
        QVERIFY(in.atEnd());

        QVERIFY(rw->Open(QString()));
        KXImage32 back;
        QVERIFY(rw->ReadKXImage(back));
        QVERIFY(SameTiles(back, image));
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
        KXImage32 image = PhotoImage(256, 128);
        const std::unique_ptr<VornReaderWriter> first = Written(Writes(&IWriter::WriteKXImage, image));
        QVERIFY(first);
        const KXImage32 original = image.Copy();
        if (change == QLatin1String("in place")) {
            QVERIFY(!image.IsTileShared(1, 0));
            QVERIFY(image.SetPixel(200, 5, KXRGBA32i(1, 2, 3, 4)));
        } else if (change == QLatin1String("reused")) {
            image = KXImage32(); // its tiles go back to the pool ...
            image = NoiseImage(256, 128); // ... and are handed out again
        } else if (change == QLatin1String("copy")) {
            const KXImage32 keeper = image;
            QVERIFY(image.SetPixel(0, 0, KXRGBA32i(9, 9, 9, 9)));
            const std::unique_ptr<VornReaderWriter> kept = Written(Writes(&IWriter::WriteKXImage, keeper));
            QVERIFY(kept);
            QCOMPARE(Contents(*kept), Contents(*first));
        }
        const std::unique_ptr<VornReaderWriter> second = Written(Writes(&IWriter::WriteKXImage, image));
        QVERIFY(second);
        const QList<QByteArray> blobs = RecordBlobs(Contents(*second));
        QCOMPARE(blobs.size(), 2);
        for (unsigned int column = 0; column < 2; ++column)
            QCOMPARE(blobs[int(column)], qCompress(TileBytes(image, column, 0), -1));
        QCOMPARE(Contents(*second) == Contents(*first), image.IsPixelEqual(original));
    }

    // A raised cancel flag makes every write fail, a tiled image included;
    // lowered again, writing goes on.
    void cancelFlagStopsWrites()
    {
        std::atomic<bool> cancel {true};
        VornReaderWriter rw;
        rw.SetCancelFlag(&cancel);
        QVERIFY(rw.Open(NewPath()));
        QVERIFY(rw.IsCancelRequested());
        QVERIFY(!rw.WriteInt(1));
        QVERIFY(!rw.WriteKXImage(PatternImage(300, 200)));
        QCOMPARE(rw.WriteRawData("ab", 2), -1);
        cancel = false;
        QVERIFY(!rw.IsCancelRequested());
        QVERIFY(rw.WriteInt(2));
        rw.Close();
        QCOMPARE(Contents(rw).toHex(), QByteArray("00000002"));
    }

    // Read into blank fields and written again, the record comes out byte for byte.
    void roundTrip()
    {
        const AllFields written = AllFields::Sample();
        const std::unique_ptr<VornReaderWriter> rw = Written([&](IWriter& w) { return written.Write(w); });
        QVERIFY(rw && rw->Open(QString()));
        AllFields f;
        QVERIFY(f.Read(*rw));
        char extra;
        QCOMPARE(rw->ReadRawData(&extra, 1), 0); // the record ends where the last field ends
        const std::unique_ptr<VornReaderWriter> again = Written([&](IWriter& w) { return f.Write(w); });
        QVERIFY(again);
        QCOMPARE(Contents(*again), Contents(*rw));

        QCOMPARE(f.integer, -5);
        QCOMPARE(f.unsignedInteger, 0xFFFFFFFFu);
        QCOMPARE(f.string, written.string);
        QCOMPARE(f.painterPath, written.painterPath);
        QCOMPARE(f.subpaths, written.subpaths);
        QCOMPARE(f.gradientBrush, written.gradientBrush);
        QCOMPARE(f.font, written.font);
        QCOMPARE(f.rgb.format(), QImage::Format_RGB888);
        QCOMPARE(f.rgb, written.rgb);
        QVERIFY(SameTiles(f.pattern, written.pattern));
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
        const std::unique_ptr<VornReaderWriter> rw
            = Written([](IWriter& w) { return w.WriteInt(11) && w.WriteInt(12); });
        QVERIFY(rw);
        const QString first = rw->GetFileName();
        for (int pass = 0; pass < 2; ++pass) {
            const QString other = NewPath();
            QVERIFY(rw->Open(other));
            QCOMPARE(rw->GetFileName(), first);
            QVERIFY(!QFile::exists(other));
            int a = 0;
            int b = 0;
            QVERIFY(rw->ReadInt(a) && rw->ReadInt(b));
            QCOMPARE(a * 100 + b, 1112);
            QVERIFY(rw->Seek(4));
            QVERIFY(!rw->Seek(-1));
            QVERIFY(rw->ReadInt(b));
            QCOMPARE(b, 12);
            rw->Close();
        }
    }

    void writeAfterReadFails()
    {
        MessageCapture capture;
        const std::unique_ptr<VornReaderWriter> rw = FileWith(Hex("00000001"));
        QVERIFY(rw);
        int value = 0;
        QVERIFY(rw->ReadInt(value));
        QVERIFY(!rw->WriteInt(2));
        QCOMPARE(rw->WriteRawData("ab", 2), -1);
        QCOMPARE(rw->GetSize(), 4LL);

        // A read that fails still ends writing, even on the file still open for writing.
        VornReaderWriter writing;
        QVERIFY(writing.Open(NewPath()));
        QVERIFY(!writing.ReadInt(value));
        QVERIFY(!writing.WriteInt(1));
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
                QVERIFY(rw.Open(NewPath()));
                QVERIFY(rw.WriteInt(1));
                rw.Close();
            }
            QVERIFY(!rw.Seek(0));
            const auto operations = AllOperations();
            for (int i = 0; i < operations.size(); ++i)
                QVERIFY2(!operations[i](rw), qPrintable(QStringLiteral("operation %1, pass %2").arg(i).arg(pass)));
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
        QVERIFY(rw.Open(path));
        QVERIFY(rw.WriteInt(5));
        if (reading) {
            rw.Close();
            QVERIFY(rw.Open(QString()));
        }
        MessageCapture capture;
        QVERIFY(!rw.Open(NewPath()));
        QVERIFY(!rw.Open(path));
        const QRegularExpression report(QStringLiteral(
            "^Build date=%1, time=%2\\. Line=\\d+, file=\"src/vorncommandprivate/vornreaderwriter\\.cpp\""
            "\\. Open fail\\. File already opened only for read\\.$")
                                            .arg(reportDatePattern(), reportTimePattern()));
        const QList<MessageCapture::Message> messages = capture.messages();
        QCOMPARE(messages.size(), 2);
        for (const MessageCapture::Message& message : messages) {
            QCOMPARE(message.type, QtDebugMsg);
            QCOMPARE(message.category, QStringLiteral("default"));
            QVERIFY(!message.hasContext);
            QVERIFY2(report.match(message.text).hasMatch(), qPrintable(message.text));
        }
        // The open file is left as it was.
        QCOMPARE(rw.GetFileName(), path);
        int value = 0;
        QCOMPARE(reading ? rw.ReadInt(value) : rw.WriteInt(6), true);
    }

    // Open for writing, closed, or open for reading: destruction deletes the file.
    void destructionDeletesFile()
    {
        for (int state = 0; state < 3; ++state) {
            const QString path = NewPath();
            {
                VornReaderWriter rw;
                QVERIFY(rw.Open(path) && rw.WriteInt(1));
                if (state > 0)
                    rw.Close();
                if (state > 1)
                    QVERIFY(rw.Open(QString()));
                QVERIFY(QFile::exists(path));
            }
            QVERIFY(!QFile::exists(path));
        }
    }

    // Cuts anywhere are covered by truncatedRecord; these are well-formed
    // records with bad values.
    void corruptInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Reader>("read");
        const Reader tiled = [](IReader& r) {
            KXImage32 image(3, 3);
            const bool read = r.ReadKXImage(image);
            return read || image.GetWidth() != 3; // a failed read leaves the target alone
        };
        const Reader image = Reads(&IReader::ReadImage);
        const Reader painterPath = Reads(&IReader::ReadPainterPath);
        const auto tileRecord = [](const QByteArray& blob) {
            return Encode([&](QDataStream& s) { s << quint32(128) << quint32(128) << blob; });
        };
        const QByteArray shortTile = qCompress(QByteArray(65535, 'a'), -1);
        QByteArray lyingTile = shortTile;
        lyingTile.replace(0, 4, Hex("00010000"));
        QByteArray hugeTile = qCompress(QByteArray(65536, 'a'), -1);
        hugeTile.replace(0, 4, Hex("7fffffff"));
        const QByteArray validTiled = Encode([](QDataStream& s) {
            s << quint32(300) << quint32(200);
            for (int i = 0; i < 6; ++i)
                s << qCompress(QByteArray(65536, char(i)), -1);
        });

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
    }

    void corruptInput()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Reader, read);
        const std::unique_ptr<VornReaderWriter> rw = FileWith(bytes);
        QVERIFY(rw);
        QVERIFY(!read(*rw));
    }

    // Every cut of a full record makes reading it fail somewhere, never crash.
    void truncatedRecord()
    {
        const AllFields sample = AllFields::Sample();
        const std::unique_ptr<VornReaderWriter> rw = Written([&](IWriter& w) { return sample.Write(w); });
        QVERIFY(rw);
        const QByteArray record = Contents(*rw);
        const int step = qMax(1, record.size() / 300);
        for (int cut = 0; cut < record.size(); cut += (cut < 200 ? 1 : step)) {
            const std::unique_ptr<VornReaderWriter> truncated = FileWith(record.left(cut));
            QVERIFY(truncated);
            AllFields fields;
            QVERIFY2(!fields.Read(*truncated), qPrintable(QStringLiteral("cut at %1").arg(cut)));
        }
    }
};

QTEST_MAIN(TestVornReaderWriter)
#include "tst_vornreaderwriter.moc"

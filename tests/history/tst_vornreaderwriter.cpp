#include <QDataStream>
#include <QFile>
#include <QLinearGradient>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <functional>
#include <limits>
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

QByteArray Encode(const std::function<void(QDataStream&)>& encode)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    encode(stream);
    return bytes;
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
    QByteArray raw;
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
        f.font = QFont(QStringLiteral("DejaVu Sans"), 13);
        f.font.setBold(true);
        f.font.setItalic(true);
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
        raw = QByteArray(4, '\0');
        return r.ReadInt(integer) && r.ReadUInt(unsignedInteger) && r.ReadQReal(real) && r.ReadPoint(point)
            && r.ReadRect(rect) && r.ReadSize(size) && r.ReadString(string) && r.ReadByteArray(bytes)
            && r.ReadRawData(raw.data(), raw.size()) == raw.size() && r.ReadTransform(transform)
            && r.ReadMatrix4x4(matrix) && r.ReadPainterPath(painterPath) && r.ReadVornPath(elements)
            && r.ReadVornPath(subpaths) && r.ReadBrush(brush) && r.ReadBrush(gradientBrush) && r.ReadFont(font)
            && r.ReadImage(argb) && r.ReadImage(rgb) && r.ReadKXImage(pattern) && r.ReadKXImage(uniform);
    }
};

// Every operation, each reporting whether it succeeded.
QList<QPair<QString, std::function<bool(VornReaderWriter&)>>> AllOperations()
{
    char buffer[4] = {};
    return {
        { "ReadImage",
            [](VornReaderWriter& rw) {
                QImage v;
                return rw.ReadImage(v);
            } },
        { "ReadInt",
            [](VornReaderWriter& rw) {
                int v;
                return rw.ReadInt(v);
            } },
        { "ReadUInt",
            [](VornReaderWriter& rw) {
                unsigned int v;
                return rw.ReadUInt(v);
            } },
        { "ReadQReal",
            [](VornReaderWriter& rw) {
                double v;
                return rw.ReadQReal(v);
            } },
        { "ReadVornPath(subpaths)",
            [](VornReaderWriter& rw) {
                Subpaths v;
                return rw.ReadVornPath(v);
            } },
        { "ReadVornPath(elements)",
            [](VornReaderWriter& rw) {
                QList<Element> v;
                return rw.ReadVornPath(v);
            } },
        { "ReadPainterPath",
            [](VornReaderWriter& rw) {
                QPainterPath v;
                return rw.ReadPainterPath(v);
            } },
        { "ReadPoint",
            [](VornReaderWriter& rw) {
                QPoint v;
                return rw.ReadPoint(v);
            } },
        { "ReadRawData", [buffer](VornReaderWriter& rw) mutable { return rw.ReadRawData(buffer, 4) != -1; } },
        { "ReadRect",
            [](VornReaderWriter& rw) {
                QRect v;
                return rw.ReadRect(v);
            } },
        { "ReadSize",
            [](VornReaderWriter& rw) {
                QSize v;
                return rw.ReadSize(v);
            } },
        { "ReadString",
            [](VornReaderWriter& rw) {
                QString v;
                return rw.ReadString(v);
            } },
        { "ReadTransform",
            [](VornReaderWriter& rw) {
                QTransform v;
                return rw.ReadTransform(v);
            } },
        { "ReadKXImage",
            [](VornReaderWriter& rw) {
                KXImage32 v;
                return rw.ReadKXImage(v);
            } },
        { "ReadBrush",
            [](VornReaderWriter& rw) {
                QBrush v;
                return rw.ReadBrush(v);
            } },
        { "ReadMatrix4x4",
            [](VornReaderWriter& rw) {
                QMatrix4x4 v;
                return rw.ReadMatrix4x4(v);
            } },
        { "ReadFont",
            [](VornReaderWriter& rw) {
                QFont v;
                return rw.ReadFont(v);
            } },
        { "ReadByteArray",
            [](VornReaderWriter& rw) {
                QByteArray v;
                return rw.ReadByteArray(v);
            } },
        { "WriteImage", [](VornReaderWriter& rw) { return rw.WriteImage(QImage()); } },
        { "WriteInt", [](VornReaderWriter& rw) { return rw.WriteInt(1); } },
        { "WriteUInt", [](VornReaderWriter& rw) { return rw.WriteUInt(1); } },
        { "WriteQReal", [](VornReaderWriter& rw) { return rw.WriteQReal(1); } },
        { "WriteVornPath(subpaths)", [](VornReaderWriter& rw) { return rw.WriteVornPath(Subpaths()); } },
        { "WriteVornPath(elements)", [](VornReaderWriter& rw) { return rw.WriteVornPath(QList<Element>()); } },
        { "WritePainterPath", [](VornReaderWriter& rw) { return rw.WritePainterPath(QPainterPath()); } },
        { "WritePoint", [](VornReaderWriter& rw) { return rw.WritePoint(QPoint()); } },
        { "WriteRawData", [](VornReaderWriter& rw) { return rw.WriteRawData("abcd", 4) != -1; } },
        { "WriteRect", [](VornReaderWriter& rw) { return rw.WriteRect(QRect()); } },
        { "WriteSize", [](VornReaderWriter& rw) { return rw.WriteSize(QSize()); } },
        { "WriteString", [](VornReaderWriter& rw) { return rw.WriteString(QString()); } },
        { "WriteTransform", [](VornReaderWriter& rw) { return rw.WriteTransform(QTransform()); } },
        { "WriteKXImage", [](VornReaderWriter& rw) { return rw.WriteKXImage(KXImage32(1, 1)); } },
        { "WriteBrush", [](VornReaderWriter& rw) { return rw.WriteBrush(QBrush()); } },
        { "WriteMatrix4x4", [](VornReaderWriter& rw) { return rw.WriteMatrix4x4(QMatrix4x4()); } },
        { "WriteFont", [](VornReaderWriter& rw) { return rw.WriteFont(QFont()); } },
        { "WriteByteArray", [](VornReaderWriter& rw) { return rw.WriteByteArray(QByteArray()); } },
    };
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

    // A reader/writer whose file holds bytes, reopened for reading.
    std::unique_ptr<VornReaderWriter> FileWith(const QByteArray& bytes)
    {
        auto rw = std::make_unique<VornReaderWriter>();
        if (!rw->Open(NewPath()) || rw->WriteRawData(bytes.constData(), bytes.size()) != bytes.size())
            return nullptr;
        rw->Close();
        return rw->Open(QString()) ? std::move(rw) : nullptr;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void encoding_data()
    {
        QTest::addColumn<Writer>("write");
        QTest::addColumn<QByteArray>("bytes");
        const auto hex = [](const char* text) { return QByteArray::fromHex(text); };
        QTest::newRow("int 1") << Writer([](IWriter& w) { return w.WriteInt(1); }) << hex("00000001");
        QTest::newRow("int -2") << Writer([](IWriter& w) { return w.WriteInt(-2); }) << hex("fffffffe");
        QTest::newRow("uint max") << Writer([](IWriter& w) { return w.WriteUInt(0xFFFFFFFFu); }) << hex("ffffffff");
        QTest::newRow("qreal") << Writer([](IWriter& w) { return w.WriteQReal(1.5); }) << hex("3ff8000000000000");
        QTest::newRow("point") << Writer([](IWriter& w) { return w.WritePoint(QPoint(1, -1)); })
                               << hex("00000001 ffffffff");
        QTest::newRow("rect") << Writer([](IWriter& w) { return w.WriteRect(QRect(1, 2, 3, 4)); })
                              << hex("00000001 00000002 00000003 00000005");
        QTest::newRow("size") << Writer([](IWriter& w) { return w.WriteSize(QSize(3, 4)); })
                              << hex("00000003 00000004");
        QTest::newRow("string") << Writer([](IWriter& w) { return w.WriteString(QStringLiteral("AB")); })
                                << hex("00000004 0041 0042");
        QTest::newRow("byte array") << Writer([](IWriter& w) { return w.WriteByteArray("xyz"); })
                                    << hex("00000003 78797a");
        QTest::newRow("null byte array") << Writer([](IWriter& w) { return w.WriteByteArray(QByteArray()); })
                                         << hex("ffffffff");
        QTest::newRow("raw data") << Writer([](IWriter& w) { return w.WriteRawData("xyz", 3) == 3; }) << hex("78797a");
        QTest::newRow("path elements") << Writer([](IWriter& w) {
            return w.WriteVornPath(QList<Element> { Element(Element::LineTo, { 1, 2 }) });
        }) << hex("00000001 00000001 3ff0000000000000 4000000000000000");
        QTest::newRow("subpaths") << Writer([](IWriter& w) {
            return w.WriteVornPath(Subpaths { qMakePair(QList<Element> { Element(Element::CurveTo, { -2, 0 }) }, 7) });
        }) << hex("00000001 00000001 00000002 c000000000000000 0000000000000000 00000007");
        QTest::newRow("image") << Writer([](IWriter& w) {
            QImage image(2, 1, QImage::Format_RGBA8888);
            std::memcpy(image.bits(), "\x01\x02\x03\x04\x05\x06\x07\x08", 8);
            return w.WriteImage(image);
        }) << hex("00000002 00000001 00000011 00000008 0102030405060708");
        QTest::newRow("null image") << Writer([](IWriter& w) { return w.WriteImage(QImage()); })
                                    << hex("00000000 00000000 00000000 00000000");
        QTest::newRow("tiled image 0x0") << Writer([](IWriter& w) { return w.WriteKXImage(KXImage32()); })
                                         << hex("00000000 00000000");
        const QBrush brush(QColor(1, 2, 3, 4), Qt::CrossPattern);
        QTest::newRow("brush") << Writer([brush](IWriter& w) { return w.WriteBrush(brush); })
                               << Encode([&](QDataStream& s) { s << Encode([&](QDataStream& i) { i << brush; }); });
        const QFont font(QStringLiteral("DejaVu Serif"), 11, QFont::Bold);
        QTest::newRow("font") << Writer([font](IWriter& w) { return w.WriteFont(font); })
                              << Encode([&](QDataStream& s) { s << Encode([&](QDataStream& i) { i << font; }); });
    }

    void encoding()
    {
        QFETCH(Writer, write);
        QFETCH(QByteArray, bytes);
        VornReaderWriter rw;
        QVERIFY(rw.Open(NewPath()));
        QVERIFY(write(rw));
        rw.Close();
        QCOMPARE(Contents(rw).toHex(), bytes.toHex());
        QCOMPARE(rw.GetSize(), (long long)bytes.size());
    }

    void tiledImageRecord_data()
    {
        QTest::addColumn<unsigned int>("width");
        QTest::addColumn<unsigned int>("height");
        QTest::addColumn<bool>("uniform");
        QTest::addColumn<int>("blobs");
        QTest::newRow("129x1") << 129u << 1u << false << 2;
        QTest::newRow("1x129") << 1u << 129u << false << 2;
        QTest::newRow("128x128") << 128u << 128u << false << 1;
        QTest::newRow("300x200") << 300u << 200u << false << 6;
        QTest::newRow("300x300 uniform, shared tiles") << 300u << 300u << true << 9;
        QTest::newRow("0x0") << 0u << 0u << false << 0;
        QTest::newRow("5x0") << 5u << 0u << false << 0;
    }

    void tiledImageRecord()
    {
        QFETCH(unsigned int, width);
        QFETCH(unsigned int, height);
        QFETCH(bool, uniform);
        QFETCH(int, blobs);
        KXImage32 image = uniform ? KXImage32(width, height) : PatternImage(width, height);
        if (uniform)
            image.Fill(KXRGBA32i(9, 8, 7, 255));
        VornReaderWriter rw;
        QVERIFY(rw.Open(NewPath()));
        QVERIFY(rw.WriteKXImage(image));
        rw.Close();

        const QByteArray bytes = Contents(rw);
        QDataStream in(bytes);
        quint32 storedWidth = 0;
        quint32 storedHeight = 0;
        in >> storedWidth >> storedHeight;
        QCOMPARE(storedWidth, width);
        QCOMPARE(storedHeight, height);
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

        QVERIFY(rw.Open(QString()));
        KXImage32 back;
        QVERIFY(rw.ReadKXImage(back));
        QVERIFY(SameTiles(back, image));
    }

    void roundTrip()
    {
        const AllFields written = AllFields::Sample();
        VornReaderWriter rw;
        QVERIFY(rw.Open(NewPath()));
        QVERIFY(written.Write(rw));
        rw.Close();
        QVERIFY(rw.Open(QString()));
        AllFields f;
        QVERIFY(f.Read(rw));
        char extra;
        QCOMPARE(rw.ReadRawData(&extra, 1), 0); // the record ends where the last field ends

        QCOMPARE(f.integer, written.integer);
        QCOMPARE(f.unsignedInteger, 0xFFFFFFFFu);
        QCOMPARE(f.real, written.real);
        QCOMPARE(f.point, written.point);
        QCOMPARE(f.rect, written.rect);
        QCOMPARE(f.size, written.size);
        QCOMPARE(f.string, written.string);
        QCOMPARE(f.bytes, written.bytes);
        QCOMPARE(f.raw, written.raw);
        QCOMPARE(f.transform, written.transform);
        QCOMPARE(f.matrix, written.matrix);
        QCOMPARE(f.painterPath, written.painterPath);
        QCOMPARE(f.painterPath.fillRule(), Qt::WindingFill);
        QCOMPARE(f.elements, written.elements);
        QCOMPARE(f.subpaths, written.subpaths);
        QCOMPARE(f.brush, written.brush);
        QCOMPARE(f.gradientBrush, written.gradientBrush);
        QCOMPARE(f.font, written.font);
        QCOMPARE(f.argb.format(), QImage::Format_ARGB32);
        QCOMPARE(f.argb, written.argb);
        QCOMPARE(f.rgb.format(), QImage::Format_RGB888);
        QCOMPARE(f.rgb, written.rgb);
        QVERIFY(SameTiles(f.pattern, written.pattern));
        QVERIFY(f.pattern.IsPixelEqual(written.pattern));
        QVERIFY(SameTiles(f.uniform, written.uniform));
        // Positions that held one tile hold one tile again after reading.
        QCOMPARE(f.uniform.DistinctTileCount(), written.uniform.DistinctTileCount());
        // A tile shared after reading is still copied on write.
        QVERIFY(f.uniform.SetPixel(0, 0, KXRGBA32i(255, 0, 0, 255)));
        QCOMPARE(f.uniform.GetPixel(1, 0), KXRGBA32i(1, 2, 3, 4));
        QCOMPARE(f.uniform.GetPixel(0, 128), KXRGBA32i(1, 2, 3, 4));
    }

    void readAgainFromTheStart()
    {
        VornReaderWriter rw;
        QVERIFY(rw.Open(NewPath()));
        QVERIFY(rw.WriteInt(11));
        QVERIFY(rw.WriteInt(12));
        rw.Close();
        for (int pass = 0; pass < 2; ++pass) {
            QVERIFY(rw.Open(QString()));
            int a = 0;
            int b = 0;
            QVERIFY(rw.ReadInt(a) && rw.ReadInt(b));
            QCOMPARE(a, 11);
            QCOMPARE(b, 12);
            QVERIFY(rw.Seek(4));
            QVERIFY(!rw.Seek(-1));
            QVERIFY(rw.ReadInt(b));
            QCOMPARE(b, 12);
            rw.Close();
        }
    }

    void writeAfterReadFails()
    {
        MessageCapture capture;
        VornReaderWriter rw;
        QVERIFY(rw.Open(NewPath()));
        QVERIFY(rw.WriteInt(1));
        rw.Close();
        QVERIFY(rw.Open(QString()));
        int value = 0;
        QVERIFY(rw.ReadInt(value));
        QVERIFY(!rw.WriteInt(2));
        QCOMPARE(rw.WriteRawData("ab", 2), -1);
        QCOMPARE(rw.GetSize(), 4LL);

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
        QCOMPARE(rw.GetSize(), 0LL);
        QVERIFY(!rw.Seek(0));
        for (const auto& operation : AllOperations())
            QVERIFY2(!operation.second(rw), qPrintable(operation.first + " before Open"));

        QVERIFY(rw.Open(NewPath()));
        QVERIFY(rw.WriteInt(1));
        rw.Close();
        QCOMPARE(rw.GetSize(), 4LL);
        QVERIFY(!rw.Seek(0));
        for (const auto& operation : AllOperations())
            QVERIFY2(!operation.second(rw), qPrintable(operation.first + " after Close"));
        QCOMPARE(rw.GetSize(), 4LL);
        QVERIFY(capture.messages().isEmpty());
    }

    void secondOpenReopensFirstFile()
    {
        const QString first = NewPath();
        const QString second = NewPath();
        VornReaderWriter rw;
        QVERIFY(rw.Open(first));
        QVERIFY(rw.WriteInt(42));
        rw.Close();
        QVERIFY(rw.Open(second));
        QCOMPARE(rw.GetFileName(), first);
        QVERIFY(!QFile::exists(second));
        int value = 0;
        QVERIFY(rw.ReadInt(value));
        QCOMPARE(value, 42);
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
        const QList<MessageCapture::Message> messages = capture.messages();
        QCOMPARE(messages.size(), 2);
        for (const MessageCapture::Message& message : messages) {
            QCOMPARE(message.type, QtDebugMsg);
            QCOMPARE(message.category, QStringLiteral("default"));
            QVERIFY(!message.hasContext);
            const QRegularExpression pattern(QStringLiteral("^Build date=(%1), time=(%2)\\. Line=(\\d+), ")
                                                 .arg(reportDatePattern(), reportTimePattern()));
            const QRegularExpressionMatch match = pattern.match(message.text);
            QVERIFY2(match.hasMatch(), qPrintable(message.text));
            const QString expected = QStringLiteral("Build date=%1, time=%2. Line=%3, file=\"%4\". %5")
                                         .arg(match.captured(1))
                                         .arg(match.captured(2))
                                         .arg(match.captured(3).toInt())
                                         .arg(QStringLiteral("src/vorncommandprivate/vornreaderwriter.cpp"))
                                         .arg(QStringLiteral("Open fail. File already opened only for read."));
            QCOMPARE(message.text, expected);
        }
        // The open file is left as it was.
        QCOMPARE(rw.GetFileName(), path);
        int value = 0;
        QCOMPARE(reading ? rw.ReadInt(value) : rw.WriteInt(6), true);
    }

    void destructionDeletesFile_data()
    {
        QTest::addColumn<int>("state");
        QTest::newRow("open for writing") << 0;
        QTest::newRow("closed") << 1;
        QTest::newRow("open for reading") << 2;
    }

    void destructionDeletesFile()
    {
        QFETCH(int, state);
        const QString path = NewPath();
        {
            VornReaderWriter rw;
            QVERIFY(rw.Open(path));
            QVERIFY(rw.WriteInt(1));
            if (state > 0)
                rw.Close();
            if (state > 1)
                QVERIFY(rw.Open(QString()));
            QVERIFY(QFile::exists(path));
        }
        QVERIFY(!QFile::exists(path));
    }

    void corruptInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Reader>("read");
        const auto hex = [](const char* text) { return QByteArray::fromHex(text); };
        const Reader tiled = [](IReader& r) {
            KXImage32 image(3, 3);
            const bool read = r.ReadKXImage(image);
            return read || image.GetWidth() != 3; // a failed read leaves the target alone
        };
        const Reader image = [](IReader& r) {
            QImage v;
            return r.ReadImage(v);
        };
        const Reader painterPath = [](IReader& r) {
            QPainterPath v;
            return r.ReadPainterPath(v);
        };
        const Reader elements = [](IReader& r) {
            QList<Element> v;
            return r.ReadVornPath(v);
        };
        const Reader subpaths = [](IReader& r) {
            Subpaths v;
            return r.ReadVornPath(v);
        };
        const auto tileRecord = [](const QByteArray& blob) {
            return Encode([&](QDataStream& s) { s << quint32(128) << quint32(128) << blob; });
        };
        const QByteArray shortTile = qCompress(QByteArray(65535, 'a'), -1);
        QByteArray lyingTile = shortTile;
        lyingTile.replace(0, 4, hex("00010000"));
        QByteArray hugeTile = qCompress(QByteArray(65536, 'a'), -1);
        hugeTile.replace(0, 4, hex("7fffffff"));
        const QByteArray validTiled = Encode([](QDataStream& s) {
            s << quint32(300) << quint32(200);
            for (int i = 0; i < 6; ++i)
                s << qCompress(QByteArray(65536, char(i)), -1);
        });

        QTest::newRow("tiled: truncated record") << validTiled.left(validTiled.size() - 10) << tiled;
        QTest::newRow("tiled: last blob missing")
            << validTiled.left(validTiled.lastIndexOf(hex("00010000")) - 4) << tiled;
        QTest::newRow("tiled: width only") << hex("00000080") << tiled;
        QTest::newRow("tiled: blob of 65535 bytes") << tileRecord(shortTile) << tiled;
        QTest::newRow("tiled: blob of 65537 bytes") << tileRecord(qCompress(QByteArray(65537, 'a'))) << tiled;
        QTest::newRow("tiled: prefix 65536, 65535 inside") << tileRecord(lyingTile) << tiled;
        QTest::newRow("tiled: prefix 2 GiB") << tileRecord(hugeTile) << tiled;
        QTest::newRow("tiled: not zlib") << tileRecord(hex("00010000") + QByteArray(40, 'x')) << tiled;
        QTest::newRow("tiled: empty blob") << tileRecord(QByteArray("")) << tiled;
        QTest::newRow("tiled: giant size") << hex("ffffffff ffffffff") + QByteArray(64, 0) << tiled;
        QTest::newRow("tiled: a million tiles, no blobs") << hex("0001f400 0001f400") + QByteArray(64, 0) << tiled;
        QTest::newRow("tiled: giant blob length") << hex("00000080 00000080 7ffffff0") + QByteArray(10, 'x') << tiled;

        QTest::newRow("image: larger than the file") << hex("00004e20 00004e20 00000005 5f5e1000 01020304") << image;
        QTest::newRow("image: length mismatch") << hex("00000002 00000001 00000011 00000007 01020304050607") << image;
        QTest::newRow("image: pixels cut short") << hex("00000002 00000001 00000011 00000008 01020304") << image;
        QTest::newRow("image: negative width") << hex("ffffffff 00000001 00000011 00000000") << image;
        QTest::newRow("image: unknown format") << hex("00000001 00000001 00000063 00000004 01020304") << image;

        const QByteArray move = hex("00000000 3ff0000000000000 3ff0000000000000");
        const QByteArray line = hex("00000001 4000000000000000 4000000000000000");
        const QByteArray trailer = hex("00000000 00000001");
        QTest::newRow("path: giant count") << hex("7fffffff") + move + trailer << painterPath;
        QTest::newRow("path: negative count") << hex("ffffffff") + trailer << painterPath;
        QTest::newRow("path: unknown element type")
            << hex("00000002") + move + hex("00000005") + line.mid(4) + trailer << painterPath;
        QTest::newRow("path: starts with a line") << hex("00000001") + line + trailer << painterPath;
        QTest::newRow("path: curve without its data")
            << hex("00000002") + move + hex("00000002") + line.mid(4) + trailer << painterPath;
        QTest::newRow("path: subpath start out of range")
            << hex("00000002") + move + line + hex("00000005 00000001") << painterPath;
        QTest::newRow("path: unknown fill rule")
            << hex("00000002") + move + line + hex("00000000 00000007") << painterPath;
        QTest::newRow("path: NaN") << hex("00000002") + move + hex("00000001 7ff8000000000000 0000000000000000")
                + trailer << painterPath;
        QTest::newRow("path: truncated") << hex("00000002") + move + line + trailer.left(7) << painterPath;

        QTest::newRow("elements: giant count") << hex("7fffffff") + line << elements;
        QTest::newRow("elements: unknown type") << hex("00000001 00000009") + line.mid(4) << elements;
        QTest::newRow("subpaths: giant count") << hex("ffffffff 00000000 00000000") << subpaths;
        QTest::newRow("subpaths: integer missing") << hex("00000001 00000001") + line << subpaths;

        QTest::newRow("byte array: giant length") << hex("7fffffff 616263") << Reader([](IReader& r) {
            QByteArray v;
            return r.ReadByteArray(v);
        });
        QTest::newRow("string: giant length") << hex("7ffffffe 00610062") << Reader([](IReader& r) {
            QString v;
            return r.ReadString(v);
        });
        QTest::newRow("string: odd length") << hex("00000003 006100") << Reader([](IReader& r) {
            QString v;
            return r.ReadString(v);
        });
        QTest::newRow("brush: cut short") << hex("00000064 000102") << Reader([](IReader& r) {
            QBrush v;
            return r.ReadBrush(v);
        });
        QTest::newRow("int: cut short") << hex("0000") << Reader([](IReader& r) {
            int v;
            return r.ReadInt(v);
        });
        QTest::newRow("raw data: cut short") << hex("0102") << Reader([](IReader& r) {
            char buffer[4];
            return r.ReadRawData(buffer, 4) == 4;
        });
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
        VornReaderWriter rw;
        QVERIFY(rw.Open(NewPath()));
        QVERIFY(AllFields::Sample().Write(rw));
        rw.Close();
        const QByteArray record = Contents(rw);
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

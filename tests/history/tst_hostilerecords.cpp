#include <QBrush>
#include <QBuffer>
#include <QFont>
#include <QtTest>

#include "KXMemoryDocument.h"
#include "documentfingerprint.h"
#include "kxchangelayerrastercommand.h"
#include "kxchangerasterdata.h"
#include "layerpaintcommand.h"
#include "layerpaintcommanddata.h"
#include "messagecapture.h"
#include "movecommand.h"
#include "movecommanddata.h"
#include "mwselectioncommand.h"
#include "mwselectioncommanddata.h"
#include "recordtesting.h"
#include "selectioncommand.h"
#include "selectioncommanddata.h"
#include "selectionmovecommand.h"
#include "selectionmovecommanddata.h"

// Damaged and hostile records: readers refuse them without crashing or
// allocating what they claim, and commands refuse impossible geometry with
// the document untouched.

namespace {

constexpr unsigned int kLayer = 1;

// value's encoding inside a byte array, as WriteBrush and WriteFont store it.
template <class Value>
QByteArray Embedded(const Value& value)
{
    return WrittenBytes([&](IWriter* writer) {
        if constexpr (std::is_same_v<Value, QBrush>)
            return writer->WriteBrush(value);
        else
            return writer->WriteFont(value);
    });
}

// bytes with the 4-byte big-endian value at position.
QByteArray Patched(QByteArray bytes, int position, quint32 value)
{
    qToBigEndian<quint32>(value, bytes.data() + position);
    return bytes;
}

QBrush RadialBrush()
{
    QRadialGradient gradient(QPointF(1, 2), 3, QPointF(2, 2));
    gradient.setColorAt(0, Qt::red);
    gradient.setColorAt(0.5, QColor::fromHsv(120, 10, 20, 30));
    return QBrush(gradient);
}

QBrush TextureBrush()
{
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30, 40));
    return QBrush(image);
}

QFont FamiliesFont()
{
    QFont font(QStringLiteral("DejaVu Sans"), 13, QFont::Bold, true);
    font.setPixelSize(20);
    font.setFamilies({QStringLiteral("a"), QStringLiteral("bc")});
    return font;
}

// A document with a background (id 0) and a patterned layer (id 1) at 10, 20.
struct Scene
{
    Scene()
        : document(QSize(400, 300))
    {
        KXImage32 background(400, 300);
        background.Fill(KXRGBA32i::OpaqueWhite());
        document.AddRasterLayer(QStringLiteral("Background"), background);
        document.AddRasterLayer(QStringLiteral("Paint"), PatternImage(30, 40, 1), QPoint(10, 20));
    }
    KXMemoryDocument document;
};

const char* const kHuge = "88ca6c00"; // -2,000,000,000
const char* const kFar = "77359400";  // 2,000,000,000

} // namespace

class TestHostileRecords : public QObject
{
    Q_OBJECT

private slots:
    void corruptEmbedded_data()
    {
        QTest::addColumn<bool>("brush");
        QTest::addColumn<QByteArray>("bytes");
        // The gradient-stop count 0x7fffffff that took Qt's brush decoder down.
        QTest::newRow("brush, stop count")
            << true << Hex("000000200f01ffff0000000000000000000000000000000000000000000000007fffffff");
        const QByteArray radial = Embedded(RadialBrush());
        // Header 4, style 1, colour 11, type, spread, mode, interpolation, count,
        // then the stops (position 8, colour 11).
        QTest::newRow("brush, gradient type") << true << Patched(radial, 16, 0);
        QTest::newRow("brush, spread") << true << Patched(radial, 20, 3);
        QTest::newRow("brush, stop count off by one") << true << Patched(radial, 32, 3);
        QTest::newRow("brush, stop position NaN") << true << Patched(radial, 36, 0x7ff80000);
        QTest::newRow("brush, stop position 2") << true << Patched(radial, 36, 0x40000000);
        QTest::newRow("brush, colour model") << true << Patched(radial, 44, 0x06ffff00);
        QTest::newRow("brush, truncated") << true << Patched(radial.left(radial.size() - 8), 0, radial.size() - 12);
        QTest::newRow("brush, trailing byte") << true << Patched(radial + '\0', 0, radial.size() - 3);
        const QByteArray solid = Embedded(QBrush(Qt::red));
        QTest::newRow("brush, unknown style") << true << Patched(solid, 4, 0x1401ffff);
        QTest::newRow("brush, transform infinite") << true << Patched(solid, 16, 0x7ff00000);
        const QByteArray texture = Embedded(TextureBrush());
        QTest::newRow("brush, texture not PNG") << true << Patched(texture, 20, 0x424d0000);
        QTest::newRow("brush, outer length past end") << true << Patched(solid, 0, 0x7fffffff);

        const QByteArray font = Embedded(FamiliesFont());
        // Header 4, family 4 + 22, style name 4, point size 8, pixel size 4.
        QTest::newRow("font, family list count") << false << Patched(font, font.size() - 18, 0xffffffff);
        QTest::newRow("font, odd family length") << false << Patched(font, 4, 21);
        QTest::newRow("font, family past end") << false << Patched(font, 4, 0x7ffffffe);
        QTest::newRow("font, point size NaN") << false << Patched(font, 34, 0x7ff80000);
        QTest::newRow("font, pixel size") << false << Patched(font, 42, 300001);
        QTest::newRow("font, outer length past end") << false << Patched(font, 0, 0xfffffff0);
    }
    void corruptEmbedded()
    {
        QFETCH(bool, brush);
        QFETCH(QByteArray, bytes);
        const bool read = ReadBytes(bytes, [&](IReader* reader) {
            QBrush b;
            QFont f;
            return brush ? reader->ReadBrush(b) : reader->ReadFont(f);
        });
        QVERIFY(!read);
    }

    // What the writers store reads back whole (the checks refuse nothing valid).
    void validEmbedded_data()
    {
        QTest::addColumn<QBrush>("brush");
        QTest::newRow("radial") << RadialBrush();
        QConicalGradient conical(QPointF(1, 2), 30);
        conical.setColorAt(0.25, Qt::blue);
        QTest::newRow("conical") << QBrush(conical);
        QLinearGradient linear(QPointF(1, 2), QPointF(3, 4));
        linear.setColorAt(1, QColor(1, 2, 3, 4));
        linear.setSpread(QGradient::ReflectSpread);
        QTest::newRow("linear") << QBrush(linear);
        QBrush transformed(QColor(5, 6, 7), Qt::DiagCrossPattern);
        transformed.setTransform(QTransform::fromScale(2, 3));
        QTest::newRow("pattern, transformed") << transformed;
        QTest::newRow("texture") << TextureBrush();
        QTest::newRow("texture, null image") << QBrush(QImage());
        QTest::newRow("none") << QBrush();
    }
    void validEmbedded()
    {
        QFETCH(QBrush, brush);
        const QFont font = FamiliesFont();
        QBrush brushRead;
        QFont fontRead;
        QVERIFY(ReadBytes(Embedded(brush) + Embedded(font), [&](IReader* reader) {
            return reader->ReadBrush(brushRead) && reader->ReadFont(fontRead);
        }));
        if (brush.style() == Qt::TexturePattern)
            QCOMPARE(brushRead.textureImage(), brush.textureImage());
        else
            QCOMPARE(brushRead, brush);
        QCOMPARE(fontRead, font);
        QCOMPARE(fontRead.families(), font.families());
    }

    // Lengths and sizes beyond the file or the document fail before allocating.
    void corruptLengths_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("operation");
        QTest::newRow("string past end") << Hex("7ffffffe0041") << 0;
        QTest::newRow("byte array past end") << Hex("fffffffe41") << 1;
        // Width 300001, height 1, ARGB32 (5), length 1200004: a side too large.
        QTest::newRow("image side") << Hex("000493e1 00000001 00000005 00124f84") + QByteArray(1200004, '\0') << 2;
        // A tiled image 2^31 wide and 0 high: no tiles, but a side no document holds.
        QTest::newRow("tiled image side") << Hex("80000000 00000000") << 3;
    }
    void corruptLengths()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, operation);
        QVERIFY(!ReadBytes(bytes, [&](IReader* reader) {
            QString string;
            QByteArray array;
            QImage image;
            KXImage32 tiled;
            return operation == 0 ? reader->ReadString(string)
                : operation == 1  ? reader->ReadByteArray(array)
                : operation == 2  ? reader->ReadImage(image)
                                  : reader->ReadKXImage(tiled);
        }));
    }

    // A stroke record with geometry at +-2,000,000,000 (empty images, the
    // undo geometry from -2e9, the stroke to +2e9, null image rectangles,
    // layer 1) or too large for an image: each execution reports, the layer
    // and its pixels stay.
    void paintGeometryOverflow_data()
    {
        QTest::addColumn<bool>("redo");
        QTest::addColumn<QByteArray>("geometries");
        const QByteArray overflow = Hex(kHuge) + Hex("00000000 0000000a 0000000a 00000000 00000000") + Hex(kFar)
            + Hex("0000000a");
        QTest::newRow("undo") << false << overflow;
        QTest::newRow("redo") << true << overflow;
        // A stroke of 300000 x 300000 pixels: more tiles than an image can have.
        QTest::newRow("redo, too many tiles")
            << true << Hex("0000000a 00000014 00000027 0000003b 00000000 00000000 000493df 000493df");
    }
    void paintGeometryOverflow()
    {
        QFETCH(bool, redo);
        QFETCH(QByteArray, geometries);
        Scene scene;
        const KXImage32 before = *scene.document.GetLayerImage(kLayer);
        const QRect geometry = scene.document.GetLayerGeometry(kLayer);
        const QByteArray record = Hex("00000000 00000000 00000000 00000000") + geometries
            + Hex("00000000 00000000 ffffffff ffffffff 00000000 00000000 ffffffff ffffffff 00000001");
        LayerPaintCommand command(&scene.document, true);
        LayerPaintCommandData data;
        QVERIFY(ReadRecord(record, data));
        MessageCapture capture;
        redo ? command.redoExec(&data) : command.undoExec(&data);
        CompareReports(capture.texts(), {ReportPattern(QStringLiteral("src/paintcommands/paintcommand.cpp"),
                                             QStringLiteral("Error to get data."))});
        QCOMPARE(scene.document.GetLayerGeometry(kLayer), geometry);
        QVERIFY(scene.document.GetLayerImage(kLayer)->IsPixelEqual(before));
        QCOMPARE(scene.document.GetDocumentState(), 0);
    }

    // An MW selection at an offset near INT_MAX: reported, the selection stays.
    void selectionOffsetOverflow_data()
    {
        QTest::addColumn<bool>("redo");
        QTest::addColumn<int>("op");
        QTest::newRow("undo") << false << int(SelectionCommandData::Union);
        QTest::newRow("redo, union") << true << int(SelectionCommandData::Union);
        QTest::newRow("redo, intersect") << true << int(SelectionCommandData::Intersect);
        QTest::newRow("redo, subtract") << true << int(SelectionCommandData::Subtract);
    }
    void selectionOffsetOverflow()
    {
        QFETCH(bool, redo);
        QFETCH(int, op);
        Scene scene;
        const KXImage32 mask = PatternImage(8, 8, 5);
        scene.document.SetSelectionMask(mask, QPoint(3, 4));
        MWSelectionCommand command(&scene.document, true);
        MWSelectionCommandData data;
        const QPoint far(2147483600, -2147483600);
        data.SetUndoSel(far, PatternImage(100, 100, 6));
        data.SetRedoSel(far, PatternImage(100, 100, 7), MWSelectionCommandData::LogicalOp(op));
        MessageCapture capture;
        redo ? command.redoExec(&data) : command.undoExec(&data);
        CompareReports(capture.texts(), {ReportPattern(QStringLiteral("src/selectioncommands/mwselectioncommand.cpp"),
                                             QStringLiteral("Incorrect commnad."))});
        QCOMPARE(scene.document.GetSelectionMaskOffset(), QPoint(3, 4));
        QVERIFY(scene.document.GetSelectionMask().IsPixelEqual(mask));
    }

    // Other commands given a position, delta or shape far beyond any
    // document: one report, the document as it was (no overflow, no huge mask).
    void farGeometryRefused_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("redo");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("raster position") << 0 << true << "src/layerchangecommands/kxchangerastercommand.cpp"
                                         << "An internal error";
        QTest::newRow("move delta") << 1 << false << "src/layerchangecommands/movecommand.cpp"
                                    << "Error to get command data.";
        QTest::newRow("selection move") << 2 << true << "src/selectioncommands/selectionmovecommand.cpp"
                                        << "No redo data.";
        QTest::newRow("selection shape") << 3 << true << "src/selectioncommands/selectioncommand.cpp"
                                         << "Bad command data.";
        QTest::newRow("selection undo offset") << 4 << false << "src/selectioncommands/selectioncommand.cpp"
                                               << "Bad command data.";
    }
    void farGeometryRefused()
    {
        QFETCH(int, command);
        QFETCH(bool, redo);
        QFETCH(QString, file);
        QFETCH(QString, message);
        Scene scene;
        scene.document.SetSelectionMask(PatternImage(8, 8, 5), QPoint(3, 4));
        const DocumentFingerprint before = DocumentFingerprint::Take(scene.document);
        const QPoint far(2147483600, -2147483600);
        std::unique_ptr<VornCommand> target;
        std::unique_ptr<VornCommandData> data;
        if (command == 0) {
            target.reset(new KXChangeLayerRasterCommand(&scene.document, true));
            auto* raster = new KXChangeRasterData;
            raster->SetLayerID(kLayer);
            raster->SetRedoImage(far, PatternImage(4, 4, 2));
            data.reset(raster);
        } else if (command == 1) {
            target.reset(new MoveCommand(&scene.document, true));
            auto* move = new MoveCommandData;
            move->SetDelta(QPoint(INT_MIN, 0));
            move->SetLayers({kLayer});
            move->SetMasks({});
            data.reset(move);
        } else if (command == 2) {
            target.reset(new SelectionMoveCommand(&scene.document));
            auto* move = new SelectionMoveCommandData;
            move->SetRedoPosition(far);
            data.reset(move);
        } else {
            target.reset(new SelectionCommand(&scene.document));
            auto* selection = new SelectionCommandData;
            QPainterPath path;
            path.addRect(-1e12, 0, 2e12, 10);
            selection->SetSelectionGeometry(path);
            selection->SetSelectionOp(SelectionCommandData::Union);
            selection->SetUndoSel(far, PatternImage(4, 4, 3));
            data.reset(selection);
        }
        MessageCapture capture;
        redo ? target->redoExec(data.get()) : target->undoExec(data.get());
        CompareReports(capture.texts(), {ReportPattern(file, message)});
        QCOMPARE(DocumentFingerprint::Take(scene.document).Differences(before), QStringList());
    }
};

QTEST_MAIN(TestHostileRecords)
#include "tst_hostilerecords.moc"
